// The windowing service on Windows: the message pump of the long operations, message boxes and
// the open-file dialog. In an unattended run no box waits for a person: each is answered with its
// default button (OK) and its title and text go to the log (standard error); no file dialog
// opens. Boxes are owned by the main window once it exists, and a box with OK and Cancel shows
// them in the run's language: the system names its buttons in its own.
#pragma once

#include <windows.h>
#undef MessageBox  // the windowing service's own name, not the API's macro

#include <cstdio>
#include <string>

#include "window/unattended_windowing.h"

namespace quo {

class Win32Windowing : public UnattendedWindowing {
 public:
  Win32Windowing(bool unattended, std::string defaultTitle, std::FILE* log = stderr)
      : UnattendedWindowing(unattended, std::move(defaultTitle), log) {}

  void PumpMessages() override;
  void SetOwner(HWND owner) { owner_ = owner; }
  void SetButtonTexts(std::string ok, std::string cancel) {
    okText_ = std::move(ok), cancelText_ = std::move(cancel);
  }

 protected:
  MsgResult ShowBox(const std::string& text, const std::string& title, MsgButtons buttons) override;
  std::optional<std::string> ShowOpenFile(const std::string& title, const std::string& filterName,
                                          const std::string& filterPattern) override;

 private:
  HWND owner_ = nullptr;
  std::string okText_, cancelText_;
};

}  // namespace quo
