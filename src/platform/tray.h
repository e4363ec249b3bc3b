// Notification-area service: one icon for the program, with a tooltip and two mouse events.
#pragma once

#include <functional>
#include <string>

namespace quo {

class Tray {
 public:
  virtual ~Tray() = default;

  // False when the desktop has no notification area: the program then runs without an icon.
  virtual bool Available() = 0;
  // Adds the icon with its tooltip; the callbacks run on the user-interface thread.
  virtual void Add(const std::string& tip, std::function<void()> onDoubleClick,
                   std::function<void()> onContextMenu) = 0;
  virtual void SetTip(const std::string& tip) = 0;
  // Removes the icon; harmless when there is none.
  virtual void Remove() = 0;
};

}  // namespace quo
