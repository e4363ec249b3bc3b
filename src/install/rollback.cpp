#include "install/rollback.h"

#include <exception>

#include "core/error.h"
#include "install/file_actions.h"
#include "install/registration.h"
#include "install/target_dir.h"
#include "platform/files.h"
#include "app/app_context.h"
#include "ui/frm_test_ftp.h"

namespace quo {

namespace {

void RestoreSection(frmTestFTP& w, std::string& nomIni, const std::string& section) {
  const ActionSection s = ReadSection(w, nomIni, section);
  if (!s.backup) return;
  TargetDir target;
  try {
    target = TargetDirectory(w, s.destination);
  } catch (const Error&) {
    return;  // refused when installing: nothing was written for it
  }
  Files& files = *w.App().platform.files;
  const std::string path = target.dir + section;
  const std::string backup = BackupName(target.dir, section);
  // The rename replaces the installed file at once: there is no moment without either file.
  if (files.IsOrdinaryFile(backup)) files.Rename(backup, path);
  if (s.enregistrement) RegisterComponent(w, path, s.type, "");
}

}  // namespace

void RestoreInstallation(frmTestFTP& w, int count, std::string& nomIni) {
  for (int i = 1; i <= count; ++i) {
    const std::string section = w.App().ini.ReadIni("ordre", std::to_string(i), nomIni);
    if (!IsPlainFileName(section)) continue;  // refused when installing
    try {
      RestoreSection(w, nomIni, section);
    } catch (const std::exception& e) {
      w.ErrorText += "\r\n" + std::string(e.what()) + " Avec " + section;
    }
  }
}

void DeleteDownloads(frmTestFTP& w) {
  Files& files = *w.App().platform.files;
  const std::string dir = DownloadDir(w);
  for (const std::string& name : files.ListFiles(dir)) {
    try {
      files.Remove(dir + name);
    } catch (const std::exception&) {
      return;
    }
  }
}

}  // namespace quo
