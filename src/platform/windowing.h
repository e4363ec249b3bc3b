// Windowing service: the message pump, message boxes and the open-file dialog.
#pragma once

#include <optional>
#include <string>

namespace quo {

enum class MsgButtons { Ok, OkCancel };
enum class MsgResult { Ok, Cancel };

class Windowing {
 public:
  virtual ~Windowing() = default;

  // Lets pending window events (input, timers, paints) run once, then returns.
  virtual void PumpMessages() = 0;
  // Modal message box. An empty title means the program's default title.
  virtual MsgResult MessageBox(const std::string& text, const std::string& title,
                               MsgButtons buttons) = 0;
  // Open-file dialog with one filter (description, exact file name). nullopt when cancelled.
  virtual std::optional<std::string> OpenFile(const std::string& title,
                                              const std::string& filterName,
                                              const std::string& filterPattern) = 0;
};

}  // namespace quo
