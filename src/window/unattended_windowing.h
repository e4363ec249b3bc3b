// What every windowing service does the same way: a box given no title takes the program's, and
// in an unattended run no box waits for a person: each is answered with its default button (OK)
// and its title and text (without CR) go to the log, one line; no file dialog opens. The system's
// own boxes and dialogs are the subclass's.
#pragma once

#include <cstdio>
#include <string>

#include "platform/windowing.h"

namespace quo {

class UnattendedWindowing : public Windowing {
 public:
  // defaultTitle: the title of a box given none. log: where unattended boxes are written.
  UnattendedWindowing(bool unattended, std::string defaultTitle, std::FILE* log)
      : unattended_(unattended), defaultTitle_(std::move(defaultTitle)), log_(log) {}

  MsgResult MessageBox(const std::string& text, const std::string& title,
                       MsgButtons buttons) final;
  std::optional<std::string> OpenFile(const std::string& title, const std::string& filterName,
                                      const std::string& filterPattern) final;

 protected:
  virtual MsgResult ShowBox(const std::string& text, const std::string& title,
                            MsgButtons buttons) = 0;
  virtual std::optional<std::string> ShowOpenFile(const std::string& title,
                                                  const std::string& filterName,
                                                  const std::string& filterPattern) = 0;

 private:
  bool unattended_;
  std::string defaultTitle_;
  std::FILE* log_;
};

}  // namespace quo
