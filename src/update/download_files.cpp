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

std::string DossierCompresse(const std::string& dossier) {
  if (dossier.empty()) return "Zip/";
  return dossier.substr(0, dossier.size() - 1) + "Zip/";
}

}  // namespace quo
