#include "update/download_files.h"

#include "app/app_context.h"
#include "core/error.h"
#include "platform/files.h"

namespace quo {

bool RemoveStale(AppContext& app, const std::string& path) {
  Files& files = *app.platform.files;
  if (!files.IsOrdinaryFile(path)) return true;
  try {
    files.Remove(path);
  } catch (const Error&) {
  }
  return !files.IsOrdinaryFile(path);
}

std::string ArchiveNameOf(const std::string& package) {
  const auto dot = package.rfind('.');
  return (dot == std::string::npos ? package : package.substr(0, dot)) + ".rar";
}

std::string ArchiveDirOf(const std::string& dir) {
  if (dir.empty()) return "Zip/";
  return dir.substr(0, dir.size() - 1) + "Zip/";
}

}  // namespace quo
