// The windowing service over Qt: the event pump of the long operations, message boxes and the
// open-file dialog. In an unattended run no box waits for a person: each is answered with its
// default button (OK) and its title and text go to standard error; no file dialog opens.
#pragma once

#include <cstdio>

#include "window/unattended_windowing.h"

namespace quo {

class QtWindowing : public UnattendedWindowing {
 public:
  QtWindowing(bool unattended, std::string defaultTitle, std::FILE* log = stderr)
      : UnattendedWindowing(unattended, std::move(defaultTitle), log) {}

  void PumpMessages() override;

 protected:
  MsgResult ShowBox(const std::string& text, const std::string& title,
                    MsgButtons buttons) override;
  std::optional<std::string> ShowOpenFile(const std::string& title, const std::string& filterName,
                                          const std::string& filterPattern) override;
};

// True when the environment asks for an unattended run (QUOUPDATE_UNATTENDED=1).
bool UnattendedRun();

}  // namespace quo
