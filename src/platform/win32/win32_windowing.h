// The windowing service on Windows: the message pump of the long operations, message boxes and
// the open-file dialog. In an unattended run no box waits for a person: each is answered with its
// default button (OK) and its title and text go to the log (standard error); no file dialog
// opens.
#pragma once

#include <cstdio>
#include <string>

#include "platform/windowing.h"

namespace quo {

class Win32Windowing : public Windowing {
 public:
  // defaultTitle: the title of a box given none. log: where unattended boxes are written.
  Win32Windowing(bool unattended, std::string defaultTitle, std::FILE* log = stderr)
      : unattended_(unattended), defaultTitle_(std::move(defaultTitle)), log_(log) {}

  void PumpMessages() override;
  MsgResult MessageBox(const std::string& text, const std::string& title,
                       MsgButtons buttons) override;
  std::optional<std::string> OpenFile(const std::string& title, const std::string& filterName,
                                      const std::string& filterPattern) override;

 private:
  bool unattended_;
  std::string defaultTitle_;
  std::FILE* log_;
};

}  // namespace quo
