#include "install/target_dir.h"

#include "app/app_context.h"
#include "core/error.h"
#include "core/paths.h"
#include "core/text.h"
#include "run/update_run.h"
#include "platform/files.h"
#include "platform/system.h"

namespace quo {

namespace {

#ifdef _WIN32
constexpr char kPathListSeparator = ';';
#else
constexpr char kPathListSeparator = ':';
#endif

// destination as a relative folder path: "\" read as "/", empty and "." components dropped.
// It must be relative on every system, whichever this one is: no leading separator ("/x",
// "\\srv") and no drive ("C:\x", "C:x").
std::string Subdirectory(const std::string& destination) {
  const std::string d = Slashes(destination);
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  const bool rooted = StartsWith(d, "/") || (d.size() >= 2 && d[1] == ':' && letter(d[0]));
  if (rooted || HasControlChar(d)) throw Error("Destination refused (" + destination + ")");
  std::string out;
  for (const std::string& part : Split(d, '/')) {
    if (part.empty() || part == ".") continue;
    if (part == "..") throw Error("Destination refused (" + destination + ")");
    out += part + "/";
  }
  return out;
}

// A path's text as the system compares it, without its trailing separators.
std::string Comparable(const std::string& path) {
  std::string p = path;
#ifdef _WIN32
  p = FoldCase(Slashes(p));
#endif
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

}  // namespace

bool SameFolder(const std::string& a, const std::string& b) {
  return Comparable(a) == Comparable(b);
}

bool IsWithin(const std::string& path, const std::string& folder) {
  const std::string p = Comparable(path), f = Comparable(folder);
  return p.size() > f.size() && StartsWith(p, f) && (f.ends_with('/') || p[f.size()] == '/');
}

std::string CheckTargetPath(AppContext& app, const std::string& root, const std::string& path) {
  const std::string dir = FolderOf(path);
  if (!IsPlainFileName(BaseName(path))) throw Error("Not a file name: " + path);
  for (const bool system : {false, true})
    if (const std::string sys = SystemDirFromPath(app, system); !sys.empty() && dir == sys)
      return dir;
  if (root.empty() || root.back() != '/' || !StartsWith(dir, root))
    throw Error("Outside the product folder: " + path);
  const std::string sub = dir.substr(root.size());
  if (Subdirectory(sub) != sub) throw Error("Outside the product folder: " + path);
  Files& files = *app.platform.files;
  for (std::size_t at = root.size(); at < path.size(); ++at) {
    at = path.find('/', at);
    if (at == std::string::npos) at = path.size();
    if (files.IsLink(path.substr(0, at))) throw Error("A link on the way: " + path.substr(0, at));
  }
  return dir;
}

void CheckSectionName(const std::string& section) {
  if (!IsPlainFileName(section)) throw Error("File name refused");
}

std::string InstallRoot(const UpdateRun& run) {
  std::string root = run.installDir;
  if (root.empty()) throw Error("No installation folder");
  // A relative root would follow the current directory: the run refuses it when it starts.
  if (!run.app.platform.files->IsAbsolutePath(root)) throw Error("Not a full path: " + root);
  return WithSlash(root);
}

TargetDir TargetDirectory(const UpdateRun& run, const std::string& destination) {
  if (destination.empty()) return {InstallRoot(run), false};
  const bool system32 = destination.find("system32") != std::string::npos;
  if (system32 || destination.find("system") != std::string::npos) {
    const std::string dir = SystemDirFromPath(run.app, !system32);
    if (dir.empty()) throw Error("No system folder along PATH");
    return {dir, false};
  }
  return {InstallRoot(run) + Subdirectory(destination), true};
}

std::string ReadEnvVar(AppContext& app, const std::string& name) {
  System* system = app.platform.system;
  return system == nullptr ? "" : system->GetEnv(name).value_or("");
}

std::string SystemDirFromPath(AppContext& app, bool system) {
  const std::string path = ReadEnvVar(app, "PATH");
  if (path.empty()) return "";
  for (std::string entry : Split(path, kPathListSeparator)) {
    if (entry.size() < 8 || !app.platform.files->IsAbsolutePath(entry) || HasControlChar(entry))
      continue;
    if (FoldCase(entry.substr(entry.size() - 8)) != "system32") continue;
    if (system) entry.resize(entry.size() - 2);
    return entry + "/";
  }
  return "";
}

std::string BackupName(const std::string& dir, const std::string& file) {
  return dir + "OLD" + file + "Back";
}

std::string DownloadDir(const AppContext& app) { return app.programDir + "Download/"; }

}  // namespace quo
