#include "install/rollback.h"

#include <exception>

#include "app/app_context.h"
#include "core/error.h"
#include "core/paths.h"
#include "run/error_lines.h"
#include "run/update_run.h"
#include "install/file_actions.h"
#include "install/registration.h"
#include "install/target_dir.h"
#include "platform/files.h"

namespace quo {

namespace {

void RestoreSection(UpdateRun& run, const std::string& actionsPath, const std::string& section,
                    const InstallRun& done) {
  const ActionSection s = ReadSection(run.app, actionsPath, section);
  if (!s.backup) return;
  TargetDir target;
  try {
    target = TargetDirectory(run, s.destination);
  } catch (const Error&) {
    return;  // refused when installing: nothing was written for it
  }
  Files& files = *run.app.platform.files;
  const std::string path = target.dir + section;
  const std::string backup = BackupName(target.dir, section);
  // The rename replaces the installed file at once: there is no moment without either file. A
  // backup this run did not make (an earlier update's) is not the file this run replaced.
  if (done.backedUp.contains(path) && files.IsOrdinaryFile(backup)) {
    files.Rename(backup, path);
    files.SyncDirectory(target.dir);
  }
  if (s.registerComponent) RegisterComponent(run, path, s.type, "");
}

}  // namespace

bool RestoreInstallation(UpdateRun& run, int count, const std::string& actionsPath,
                         const InstallRun& done) {
  bool whole = true;
  for (int i = 1; i <= count; ++i) {
    const std::string section = run.app.ini.ReadIni("ordre", std::to_string(i), actionsPath);
    if (!IsPlainFileName(section)) continue;  // refused when installing
    try {
      RestoreSection(run, actionsPath, section, done);
    } catch (const std::exception& e) {
      run.errorText += "\r\n" + InstallErrorLine(run.app, e.what()) + " Avec " + section;
      whole = false;
    }
  }
  return whole;
}

void DeleteDownloads(AppContext& app) {
  Files& files = *app.platform.files;
  const std::string dir = DownloadDir(app);
  for (const std::string& name : files.ListFiles(dir)) {
    try {
      files.Remove(dir + name);
    } catch (const std::exception&) {
      return;
    }
  }
}

}  // namespace quo
