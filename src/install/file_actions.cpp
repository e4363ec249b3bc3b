#include "install/file_actions.h"

#include <exception>

#include "app/app_context.h"
#include "core/text.h"
#include "install/install_journal.h"
#include "install/kill_process.h"
#include "install/registration.h"
#include "install/target_dir.h"
#include "platform/files.h"
#include "run/error_lines.h"
#include "run/update_run.h"

namespace quo {

ActionSection ReadSection(AppContext& app, const std::string& actionsPath,
                          const std::string& section) {
  Settings& ini = app.ini;
  ActionSection s;
  s.destination = ini.ReadIni(section, "destination", actionsPath);
  s.replace = FlagValue(ini.ReadIni(section, "copie", actionsPath));
  s.backup = FlagValue(ini.ReadIni(section, "backup", actionsPath));
  s.registerComponent = FlagValue(ini.ReadIni(section, "enregistrement", actionsPath));
  s.type = ini.ReadIni(section, "type", actionsPath);
  s.kill = ini.ReadIni(section, "kill", actionsPath);
  s.compressed = NumericValue(ini.ReadIni(section, "compresse", actionsPath)) == 1;
  return s;
}

void InstallRun::Record(const std::string& step) const {
  if (journal != nullptr) journal->Step(step, k);
}

void CopyWithBackup(UpdateRun& run, const std::string& file, const std::string& dir, bool replace,
                    bool backup, bool unregisterFirst, const std::string& kind, InstallRun& done,
                    const Files::CopyMode& fresh) {
  Files& files = *run.app.platform.files;
  if (!files.IsDirectory(dir)) files.MakeDirectory(dir);
  const std::string path = dir + file;
  const std::string source = DownloadDir(run.app) + file;
  const auto copy = [&](const Files::CopyMode& mode) {
    done.Record("copy");
    files.Copy(source, path, mode);
    files.SyncDirectory(dir);
  };
  if (!files.IsOrdinaryFile(path)) {
    copy(fresh);
    return;
  }
  if (unregisterFirst) {
    done.Record("unregister");
    UnregisterComponent(run.app, path, kind);
  }
  if (backup && !done.backedUp.contains(path)) {
    done.Record("backup");
    files.Rename(path, BackupName(dir, file));
    files.SyncDirectory(dir);
    done.backedUp.insert(path);
    if (replace) copy({BackupName(dir, file)});  // without replace the file is retired
    return;
  }
  if (replace) copy({path});
}

void InstallAction(UpdateRun& run, const std::string& actionsPath, const std::string& section,
                   InstallRun& done) {
  try {
    CheckSectionName(section);
    const ActionSection s = ReadSection(run.app, actionsPath, section);
    done.Record("start");
    Processes* processes = run.app.platform.processes;
    if (!s.kill.empty()) KillProcess(processes, FindProcess(processes, s.kill));

    for (int attempt = 1; attempt <= 2; ++attempt) {
      const TargetDir target = TargetDirectory(run, s.destination);
      const bool unregisterFirst = target.subdirectory ? false : s.registerComponent;
      const std::string kind = target.subdirectory ? "exeX" : s.type;
      // The retry makes no backup: the first attempt made the one a rollback needs (or found
      // nothing to keep), and what lies there now came from this run.
      CopyWithBackup(run, section, target.dir, s.replace, s.backup && attempt == 1, unregisterFirst,
                     kind, done, {.keepSource = s.compressed, .executable = s.type == "exeX"});
      if (!s.registerComponent) return;
      done.Record("register");
      if (RegisterComponent(run, target.dir + section, s.type, section)) return;
      if (attempt == 1) run.errorText.clear();
    }
  } catch (const std::exception& e) {
    run.errorText += "\r\n" + InstallErrorLine(run.app, e.what()) + " Fichier : " + section;
  }
}

}  // namespace quo
