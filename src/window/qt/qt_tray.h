// The notification-area service over QSystemTrayIcon. Without a notification area (no tray
// available) nothing is added and the program runs without an icon.
#pragma once

#include <memory>

#include "platform/tray.h"

class QSystemTrayIcon;

namespace quo {

class QtTray : public Tray {
 public:
  QtTray();
  ~QtTray() override;

  bool Available() override;
  void Add(const std::string& tip, std::function<void()> onDoubleClick,
           std::function<void()> onContextMenu) override;
  void SetTip(const std::string& tip) override;
  void Remove() override;

  QSystemTrayIcon* Icon() const { return icon_.get(); }

 private:
  std::unique_ptr<QSystemTrayIcon> icon_;
};

}  // namespace quo
