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

std::string NomArchive(const std::string& package) {
  const auto dot = package.rfind('.');
  return (dot == std::string::npos ? package : package.substr(0, dot)) + ".rar";
}

bool IsPackageName(const std::string& name) {
  if (name.empty() || name.size() > 255 || name == "." || name == "..") return false;
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || c == ':' || u < 0x20 || u == 0x7F) return false;
  }
  return true;
}

std::string DossierCompresse(const std::string& dossier) {
  if (dossier.empty()) return "Zip/";
  return dossier.substr(0, dossier.size() - 1) + "Zip/";
}

}  // namespace quo
