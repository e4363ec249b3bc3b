#include "install/recovery.h"

#include <exception>
#include <stdexcept>

#include "app/app_context.h"
#include "app/dates.h"
#include "app/log.h"
#include "engine/update_run.h"
#include "install/install_journal.h"
#include "install/mdl_process.h"
#include "install/registration.h"
#include "install/rollback.h"
#include "platform/files.h"
#include "platform/system.h"

namespace quo {

namespace {

std::string DirOf(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }

void RollForward(AppContext& app, const JournalState& journal) {
  if (!app.ini.Write("temps", "dernier", FormatDate(app.platform.system->Now())) ||
      !app.ini.Write("temps", "DerniereVersion", journal.head.to))
    throw std::runtime_error("Cannot write " + app.ini.SettingsPath());
  DeleteDownloads(app);
}

}  // namespace

void RollBackJournal(AppContext& app, const JournalState& journal) {
  Files& files = *app.platform.files;
  Processes* processes = app.platform.processes;
  for (const JournalSection& s : journal.head.sections) {
    if (!s.kill.empty() && journal.Has(s.k, "start"))
      KillProcess(processes, FindProcess(processes, s.kill));
  }
  UpdateRun run(app);  // what registration needs of a run
  for (const JournalSection& s : journal.head.sections) {
    if (!journal.Has(s.k, "start")) continue;
    try {
      files.Remove(Files::TempCopyName(s.path));  // a copy cut short, when there is one
    } catch (const std::exception&) {
    }
    const bool copied = journal.Has(s.k, "copy") || journal.Has(s.k, "register");
    if (s.enregistrement && journal.Has(s.k, "register")) UnregisterComponent(app, s.path, s.kind);
    if (s.backup.empty()) continue;  // as a failed run: a file without a backup stays
    // The backup is this run's only when the journal says it was made; until the copy, a file
    // still in place is the original, and an older backup beside it is not ours to restore.
    const bool ours = journal.Has(s.k, "backup") && (copied || !files.IsOrdinaryFile(s.path));
    if (ours && files.IsOrdinaryFile(s.backup)) {
      files.Rename(s.backup, s.path);
      files.SyncDirectory(DirOf(s.path));
    }
    if (s.enregistrement) RegisterComponent(run, s.path, s.kind, "");
  }
}

RecoveryResult RecoverInstallation(AppContext& app) {
  RecoveryResult result;
  const auto journal = ReadJournal(app);
  if (!journal) return result;
  result.found = true;
  const std::string version = journal->head.to;
  try {
    if (journal->committed) {
      RollForward(app, *journal);
      result.message = app.Traduire("RepriseTerminee") + " " + version;
    } else {
      RollBackJournal(app, *journal);
      result.message = app.Traduire("RepriseAnnulee") + " " + version;
    }
    InstallJournal(app).Remove();
  } catch (const std::exception& e) {
    result.ok = false;
    result.message = app.Traduire("RepriseImpossible") + " " + e.what();
  }
  try {
    WriteLog(app, result.message);
  } catch (const std::exception&) {
    // The message still goes to the user.
  }
  return result;
}

}  // namespace quo
