#include "core/paths.h"

#include "core/text.h"

namespace quo {

namespace {
std::size_t NameStart(std::string_view path, std::string_view separators) {
  const auto slash = path.find_last_of(separators);
  return slash == std::string_view::npos ? 0 : slash + 1;
}
}  // namespace

std::string Slashes(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string BaseName(std::string_view path, std::string_view separators) {
  return std::string(path.substr(NameStart(path, separators)));
}

std::string FolderOf(std::string_view path, std::string_view separators) {
  return std::string(path.substr(0, NameStart(path, separators)));
}

bool IsPlainFileName(std::string_view name) {
  return !name.empty() && name.size() <= 255 && name[0] != '.' &&
         name.find("..") == std::string_view::npos &&
         name.find_first_of("/\\:") == std::string_view::npos && !HasControlChar(name);
}

}  // namespace quo
