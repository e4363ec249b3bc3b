#include "install/install_sequence.h"

#include <cstdint>
#include <exception>

#include "app/app_context.h"
#include "app/dates.h"
#include "core/error.h"
#include "core/paths.h"
#include "core/text.h"
#include "install/file_actions.h"
#include "install/install_journal.h"
#include "install/kill_process.h"
#include "install/recovery.h"
#include "install/rollback.h"
#include "install/target_dir.h"
#include "platform/files.h"
#include "platform/system.h"
#include "run/error_lines.h"
#include "run/run_view.h"
#include "run/update_run.h"

namespace quo {

namespace {

// The section counter is a 16-bit signed integer, on purpose: the action files of the update
// servers were written for an updater that counted so, and one naming more sections than it
// holds has always ended in "Overflow", with nothing installed. A count it cannot hold, or a step
// past its largest value, is that overflow still (kMaxPackages keeps the download below it).
std::int16_t ToCounter(int count) {
  if (count > INT16_MAX || count < INT16_MIN) throw Error("Overflow");
  return static_cast<std::int16_t>(count);
}

void Step(std::int16_t& i) {
  if (i == INT16_MAX) throw Error("Overflow");
  ++i;
}

// What a recovery needs to know of every section, without the action file.
JournalHead PlanJournal(UpdateRun& run, int n, const std::string& actionsPath) {
  AppContext& app = run.app;
  JournalHead head{app.ini.Read("temps", "DerniereVersion"),
                   app.ini.ReadIni("ordre", "versionActuelle", actionsPath),
                   run.installDir,
                   {}};
  for (int k = 1; k <= n; ++k) {
    const std::string section = app.ini.ReadIni("ordre", std::to_string(k), actionsPath);
    if (!IsPlainFileName(section)) continue;  // refused by its installation: nothing written
    const ActionSection s = ReadSection(app, actionsPath, section);
    try {
      const std::string dir = TargetDirectory(run, s.destination).dir;
      head.sections.push_back({k, dir + section, s.backup ? BackupName(dir, section) : "", s.kill,
                               s.type, s.registerComponent});
    } catch (const Error&) {
      // refused by its installation too
    }
  }
  return head;
}

// After a failure no step handled: what the journal says was done is undone.
void RollBackWhatWasDone(AppContext& app, InstallJournal& journal) {
  try {
    // This run's own journal: read back as any other, what it names was checked when planned.
    if (const auto state = ReadJournal(app); state && !state->committed) RollBackJournal(app, *state);
    journal.Remove();
  } catch (const std::exception&) {
    // The journal stays: the next start finishes the roll-back.
  }
}

}  // namespace

bool Install(UpdateRun& run, RunView& view, int packageCount, const std::string& actionsPath) {
  AppContext& app = run.app;
  std::string section;
  InstallJournal journal(app);
  try {
    // An earlier installation's journal is dealt with first: its backups are the only copies of
    // their originals, and a new installation would make its own over them.
    if (Files& files = *app.platform.files;
        files.IsOrdinaryFile(app.JournalPath()) || files.IsLink(app.JournalPath())) {
      if (const RecoveryResult r = RecoverInstallation(app, run.installDir); !r.ok) {
        run.errorText += "\r\n" + r.message;
        return false;
      }
    }
    view.MoveDots(true);
    run.phaseText = app.Translate("Preparationdelinstallation");
    const std::int16_t n = ToCounter(packageCount);
    Processes* processes = app.platform.processes;
    for (std::int16_t i = 1; i <= n; Step(i)) {
      section = app.ini.ReadIni("ordre", std::to_string(i), actionsPath);
      if (!IsPlainFileName(section)) continue;  // refused by its installation
      const std::string kill = app.ini.ReadIni(section, "kill", actionsPath);
      if (!kill.empty()) KillProcess(processes, FindProcess(processes, kill));
    }
    app.platform.system->SleepMs(10);
    view.PlayAnimation("Synchronize");

    // Nothing changes in the product before the journal can undo it.
    journal.Begin(PlanJournal(run, n, actionsPath));
    InstallRun done;
    done.journal = &journal;
    std::int16_t i = 1;
    bool complete = true;
    for (; i <= n; Step(i)) {
      section = app.ini.ReadIni("ordre", std::to_string(i), actionsPath);
      run.progress = static_cast<float>((static_cast<double>(i) + n) / (2.0 * n + 1));
      run.phaseText =
          app.Translate("Installationde") + " " + section + " " + app.Translate("Encours");
      view.TraySetTip(run.phaseText);
      view.ShowPhase(run.phaseText);
      view.SetProgress(static_cast<int>(RoundHalfEven(run.progress * 100.0)));
      app.PumpMessages();
      view.RepaintPhase();
      done.k = i;
      InstallAction(run, actionsPath, section, done);
      if (!run.errorText.empty()) {
        complete = false;
        break;
      }
    }
    if (complete) {
      journal.Commit();  // from here a start after a kill finishes the installation
      run.phaseText = app.Translate("SuppressiondesfichiersTéléchargés");
      view.ShowPhase(run.phaseText);
      DeleteDownloads(app);
    } else {
      SetPhase(run, view, app.Translate("Restaurationdelinstallation"));
      // A backup that could not be put back keeps the journal: the next start tries again.
      if (RestoreInstallation(run, i, actionsPath, done)) journal.Remove();
    }
    view.MoveDots(false);
    view.PlayAnimation("");
    return complete;
  } catch (const std::exception& e) {
    view.MoveDots(false);
    run.errorText += "\r\n" + InstallErrorLine(app, e.what()) + " Avec " + section;
    if (journal.Begun()) RollBackWhatWasDone(app, journal);
    return false;
  }
}

bool InstallAndRecord(UpdateRun& run, RunView& view, int packageCount,
                      const std::string& actionsPath, const std::string& version) {
  AppContext& app = run.app;
  const bool installed = Install(run, view, packageCount, actionsPath) && run.errorText.empty();
  bool recorded = app.ini.Write("temps", "dernier", FormatDate(app.platform.system->Now()));
  if (installed) recorded = app.ini.Write("temps", "DerniereVersion", version) && recorded;
  if (installed && !recorded) {
    run.errorText +=
        "\r\n" + app.Translate("EnregistrementImpossible") + " " + app.ini.SettingsPath();
    return false;
  }
  if (installed) {
    try {
      InstallJournal(app).Remove();
    } catch (const std::exception&) {
      // A journal that stays only has the next start write the same records again.
    }
  }
  return installed;
}

}  // namespace quo
