#include "window/caption_log.h"

namespace quo {

void CaptionLog::Log(const std::string& v) {
  const bool onlyDots = v.size() > last_.size() && v.starts_with(last_) &&
                        v.find_first_not_of('.', last_.size()) == std::string::npos;
  if (v.empty() || v == last_ || (!last_.empty() && onlyDots)) return;
  last_ = v;
  std::string line;
  for (const char c : v) {
    if (c == '\n')
      line += " | ";
    else if (c != '\r')
      line += c;
  }
  std::fprintf(out_, "%s%s\n", prefix_.c_str(), line.c_str());
  std::fflush(out_);
}

}  // namespace quo
