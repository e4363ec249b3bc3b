#include "install/recovery.h"

#include <exception>
#include <stdexcept>

#include "app/app_context.h"
#include "app/dates.h"
#include "app/log.h"
#include "core/paths.h"
#include "core/text.h"
#include "core/version_order.h"
#include "install/install_journal.h"
#include "install/kill_process.h"
#include "install/registration.h"
#include "install/rollback.h"
#include "install/target_dir.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "platform/system.h"
#include "run/update_run.h"

namespace quo {

namespace {

void RollForward(AppContext& app, const JournalState& journal) {
  bool written = app.ini.Write("temps", "dernier", FormatDate(app.platform.system->Now()));
  // Never a version older than the one recorded: the journal cannot take the records back.
  if (!IsNewerVersion(journal.head.to, app.ini.Read("temps", "DerniereVersion")))
    written = app.ini.Write("temps", "DerniereVersion", journal.head.to) && written;
  if (!written) throw std::runtime_error("Cannot write " + app.ini.SettingsPath());
  DeleteDownloads(app);
}

// The journal is kept where an administrator finds it, out of the next start's way.
std::string SetAside(AppContext& app, const std::string& why) {
  const std::string path = app.JournalPath(), refused = path + ".refused";
  // What the journal said is shown as text on one line, and not at any length.
  const std::string shown = Printable(why.substr(0, 300));
  std::string message = app.Translate("RepriseRefusee") + " " + shown + " (" + refused + ")";
  try {
    app.platform.files->Rename(path, refused);
    app.platform.files->SyncDirectory(app.programDir);
  } catch (const std::exception& e) {
    message += " " + std::string(e.what());
  }
  return message;
}

}  // namespace

void RollBackJournal(AppContext& app, const JournalState& journal) {
  Files& files = *app.platform.files;
  Processes* processes = app.platform.processes;
  // Only a program of the product, or of the system folders its files may go to, is ended.
  const std::string root = journal.head.root;
  const auto ours = [&](std::uint32_t pid) {
    const std::string exe = processes->ExecutablePath(pid);
    if (exe.empty()) return false;
    if (IsWithin(exe, root)) return true;
    for (const bool system : {false, true})
      if (const std::string sys = SystemDirFromPath(app, system);
          !sys.empty() && IsWithin(exe, sys))
        return true;
    return false;
  };
  for (const JournalSection& s : journal.head.sections) {
    if (!s.kill.empty() && journal.Has(s.k, "start"))
      KillProcess(processes, FindProcess(processes, s.kill, ours));
  }
  UpdateRun run(app);  // what registration needs of a run
  for (const JournalSection& s : journal.head.sections) {
    if (!journal.Has(s.k, "start")) continue;
    try {
      files.Remove(Files::TempCopyName(s.path));  // a copy cut short, when there is one
    } catch (const std::exception&) {
    }
    const bool copied = journal.Has(s.k, "copy") || journal.Has(s.k, "register");
    if (s.registerComponent && journal.Has(s.k, "register"))
      UnregisterComponent(app, s.path, s.kind);
    if (s.backup.empty()) continue;  // as a failed run: a file without a backup stays
    // The backup is this run's only when the journal says it was made; until the copy, a file
    // still in place is the original, and an older backup beside it is not ours to restore.
    const bool ours = journal.Has(s.k, "backup") && (copied || !files.IsOrdinaryFile(s.path));
    if (ours && files.IsOrdinaryFile(s.backup)) {
      files.Rename(s.backup, s.path);
      files.SyncDirectory(FolderOf(s.path));
    }
    if (s.registerComponent) RegisterComponent(run, s.path, s.kind, "");
  }
}

RecoveryResult RecoverInstallation(AppContext& app, const std::string& productFolder) {
  RecoveryResult result;
  try {
    const auto journal = ReadJournal(app);
    if (!journal) return result;
    result.found = true;
    const std::string version = journal->head.to;
    if (!SameFolder(journal->head.root, productFolder)) {
      result.ok = false;
      result.message = app.Translate("RepriseAutreDossier") + " " + journal->head.root;
    } else if (journal->committed) {
      RollForward(app, *journal);
      result.message = app.Translate("RepriseTerminee") + " " + version;
      InstallJournal(app).Remove();
    } else {
      RollBackJournal(app, *journal);
      result.message = app.Translate("RepriseAnnulee") + " " + version;
      InstallJournal(app).Remove();
    }
  } catch (const JournalRefused& e) {
    result.found = true, result.ok = false;
    result.message = SetAside(app, e.what());
  } catch (const std::exception& e) {
    result.found = true, result.ok = false;
    result.message = app.Translate("RepriseImpossible") + " " + e.what();
  }
  WriteLog(app, result.message);
  return result;
}

}  // namespace quo
