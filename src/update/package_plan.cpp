#include "update/package_plan.h"

#include <map>
#include <set>

#include "app/app_context.h"
#include "core/error.h"
#include "core/paths.h"
#include "run/update_run.h"
#include "platform/files.h"
#include "update/download_files.h"

namespace quo {

std::optional<std::vector<PackageFacts>> ReadPackages(AppContext& app,
                                                      const std::string& actionsPath,
                                                      int packageCount, std::string& why) {
  std::vector<PackageFacts> packages;
  for (int i = 1; i <= packageCount; ++i) {
    const std::string name = app.ini.ReadIni("ordre", std::to_string(i), actionsPath);
    if (!IsPlainFileName(name)) return std::nullopt;  // the action file names no plain file
    const auto p = ReadPackageFacts(app, actionsPath, name, why);
    if (!p) return std::nullopt;
    packages.push_back(*p);
  }
  return packages;
}

std::string CheckRoom(UpdateRun& run, const std::vector<PackageFacts>& packages) {
  Files& files = *run.app.platform.files;
  struct Need {
    std::string folder;
    std::uint64_t bytes = 0, room = 0;
  };
  std::map<std::uint64_t, Need> volumes;
  const auto add = [&](const std::string& folder, const std::string& fallback, std::int64_t bytes) {
    auto room = files.FreeSpace(folder);
    if (!room) room = files.FreeSpace(fallback);  // a folder not made yet lies beside it
    if (!room) return;
    Need& n = volumes[room->volume];
    if (n.folder.empty()) n = {folder, 0, room->bytes};
    n.bytes += static_cast<std::uint64_t>(bytes);
  };
  for (const PackageFacts& p : packages) {
    if (p.size < 0) continue;
    if (p.compressed) add(ArchiveDirOf(run.downloadDir), run.downloadDir, p.size);
    add(run.downloadDir, run.downloadDir, p.size);
    add(run.installDir, run.installDir, p.size);
  }
  for (const auto& [volume, n] : volumes) {
    if (n.bytes > n.room) {
      return run.app.Translate("EspaceInsuffisant") + " " + n.folder + " (" +
             std::to_string(n.bytes) + " / " + std::to_string(n.room) + ")";
    }
  }
  return "";
}

std::string ClearStaleDownloads(UpdateRun& run, const std::vector<PackageFacts>& packages) {
  Files& files = *run.app.platform.files;
  const std::string archiveDir = ArchiveDirOf(run.downloadDir);
  std::set<std::string> keep = {
      run.downloadDir + kVersionListFile, run.downloadDir + kVersionListFile + kSignatureSuffix,
      run.downloadDir + kActions, run.downloadDir + kActions + kSignatureSuffix};
  for (const PackageFacts& p : packages) {
    if (p.Verifiable())
      keep.insert((p.compressed ? archiveDir : run.downloadDir) + p.file + ".part");
  }
  for (const std::string& folder : {run.downloadDir, archiveDir}) {
    for (const std::string& name : files.ListFiles(folder)) {
      if (keep.contains(folder + name)) continue;
      try {
        files.Remove(folder + name);
      } catch (const Error&) {
        return folder + name;
      }
    }
  }
  return "";
}

std::string CheckPackage(AppContext& app, const PackageFacts& package, const std::string& path,
                         const std::optional<Sha256Digest>& digest) {
  const auto size = app.platform.files->FileSize(path);
  if (package.size >= 0 && size != package.size) {
    return app.Translate("TailleDifferente") + " " + (size ? std::to_string(*size) : "?") + "/" +
           std::to_string(package.size);
  }
  if (package.sha256 &&
      (!digest || std::string(digest->begin(), digest->end()) != *package.sha256))
    return app.Translate("EmpreinteDifferente");
  return "";
}

}  // namespace quo
