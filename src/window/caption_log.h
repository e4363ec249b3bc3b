// The phase label of an unattended run, told on a stream: each new caption once, on one line
// (line breaks shown as " | "), the moving dots of a caption already told left out.
#pragma once

#include <cstdio>
#include <string>

namespace quo {

class CaptionLog {
 public:
  CaptionLog(std::FILE* out, std::string prefix) : out_(out), prefix_(std::move(prefix)) {}
  void Log(const std::string& caption);

 private:
  std::FILE* out_;
  std::string prefix_, last_;
};

}  // namespace quo
