#include "install/file_actions.h"

#include <exception>

#include "core/text.h"
#include "install/mdl_process.h"
#include "install/registration.h"
#include "install/target_dir.h"
#include "platform/files.h"
#include "app/app_context.h"
#include "ui/frm_test_ftp.h"

namespace quo {

ActionSection ReadSection(frmTestFTP& w, std::string& nomIni, const std::string& section) {
  mdlParamIni& ini = w.App().ini;
  ActionSection s;
  s.destination = ini.ReadIni(section, "destination", nomIni);
  s.copie = FlagValue(ini.ReadIni(section, "copie", nomIni));
  s.backup = FlagValue(ini.ReadIni(section, "backup", nomIni));
  s.enregistrement = FlagValue(ini.ReadIni(section, "enregistrement", nomIni));
  s.type = ini.ReadIni(section, "type", nomIni);
  s.kill = ini.ReadIni(section, "kill", nomIni);
  return s;
}

void CopyWithBackup(frmTestFTP& w, const std::string& file, const std::string& dir, bool replace,
                    bool backup, bool unregisterFirst, const std::string& kind, InstallRun& run) {
  Files& files = *w.App().platform.files;
  if (!files.IsDirectory(dir)) files.MakeDirectory(dir);
  const std::string path = dir + file;
  const std::string source = DownloadDir(w) + file;
  if (!files.IsOrdinaryFile(path)) {
    files.Copy(source, path);
    return;
  }
  if (unregisterFirst) UnregisterComponent(w, path, kind);
  if (backup && !run.backedUp.contains(path)) {
    files.Rename(path, BackupName(dir, file));
    run.backedUp.insert(path);
    if (replace) files.Copy(source, path);  // without replace the file is retired
    return;
  }
  if (replace) files.Copy(source, path);
}

void InstallAction(frmTestFTP& w, std::string& nomIni, const std::string& section,
                   InstallRun& run) {
  try {
    CheckSectionName(section);
    const ActionSection s = ReadSection(w, nomIni, section);
    Processes* processes = w.App().platform.processes;
    if (!s.kill.empty()) KillProcess(processes, FindProcess(processes, s.kill));

    for (int attempt = 1; attempt <= 2; ++attempt) {
      const TargetDir target = TargetDirectory(w, s.destination);
      const bool unregisterFirst = target.subdirectory ? false : s.enregistrement;
      const std::string kind = target.subdirectory ? "exeX" : s.type;
      // The retry makes no backup: the first attempt made the one a rollback needs (or found
      // nothing to keep), and what lies there now came from this run.
      CopyWithBackup(w, section, target.dir, s.copie, s.backup && attempt == 1, unregisterFirst,
                     kind, run);
      if (!s.enregistrement) return;
      if (RegisterComponent(w, target.dir + section, s.type, section)) return;
      if (attempt == 1) w.ErrorText.clear();
    }
  } catch (const std::exception& e) {
    w.ErrorText += "\r\n" + std::string(e.what()) + "Fichier : " + section;
  }
}

}  // namespace quo
