#include "window/unattended_windowing.h"

namespace quo {

MsgResult UnattendedWindowing::MessageBox(const std::string& text, const std::string& title,
                                          MsgButtons buttons) {
  const std::string shownTitle = title.empty() ? defaultTitle_ : title;
  if (!unattended_) return ShowBox(text, shownTitle, buttons);
  std::string flat = text;
  for (std::size_t at; (at = flat.find('\r')) != std::string::npos;) flat.erase(at, 1);
  std::fprintf(log_, "%s: %s\n", shownTitle.c_str(), flat.c_str());
  std::fflush(log_);
  return MsgResult::Ok;
}

std::optional<std::string> UnattendedWindowing::OpenFile(const std::string& title,
                                                         const std::string& filterName,
                                                         const std::string& filterPattern) {
  if (unattended_) return std::nullopt;
  return ShowOpenFile(title, filterName, filterPattern);
}

}  // namespace quo
