#include "window/startup_window.h"

#include "app/app_context.h"
#include "app/exit_status.h"
#include "platform/windowing.h"
#include "run/update_run.h"
#include "startup/launch.h"
#include "window/main_window.h"
#include "window/settings_dialog.h"
#include "window/translate_form.h"

namespace quo {

namespace {

void ShowAndActivate(MainWindow& w) {
  w.Show();
  w.App().PumpMessages();
  w.View().Show();
}

}  // namespace

void RunWindowStartup(MainWindow& w, const LaunchPlan& plan) {
  AppContext& app = w.App();
  UpdateRun& run = w.Run();
  try {
    w.OnLoad();
    const ServerSettings& s = plan.settings;
    run.serverPassword = s.password;
    run.serverUser = s.user;
    run.serverAddress = s.address;
    run.serverDir = s.serverDir;
    run.installDir = s.installDir;
    if (plan.mode == LaunchMode::Interactive || plan.mode == LaunchMode::BadCommandLine) {
      run.launchedByProduct = false;
      ShowAndActivate(w);
      return;
    }
    const auto& f = plan.commandLine.fields;
    w["picVersion"].SetVisible(false);
    w["txtVersion"].SetText(f[0]);
    run.installedVersion = f[0];
    run.installDir = f[1];
    if (plan.languageGiven) {
      run.language = plan.language;
      TranslateForm(app.translation, w.View(), false);
      w.OptionsDialog();  // the settings dialog loads now, translated as it is built
    }
    run.launchedByProduct = plan.mode == LaunchMode::Launched;
    if (!run.launchedByProduct) w["txtVersion"].SetText(run.installedVersion);
    w["picVersion"].SetVisible(false);
    w.Show();

    MainWindow::BusyScope busy(w);
    const bool found = w.SearchUpdates();
    if (w.CloseRequested() || w.Unloaded()) return;
    if (found && run.launchedByProduct) {
      w.RunUpdate();
      // The run records its own outcome; one that did not reach it did not succeed.
      if (!run.Finished()) run.End(w.CloseRequested() ? RunOutcome::Cancelled : RunOutcome::Failed);
      return;
    }
    if (found) {
      if (w["lblPhase"].Caption().empty())
        w["lblPhase"].SetCaption(app.Translate("Denouvellesmisesàjoursontdisponibles"));
    } else if (w["lblPhase"].Caption().empty()) {
      w["lblPhase"].SetCaption(app.Translate("Aucunenouvelemiseàjourdedisponible"));
    }
    // Nothing more happens by itself: the installation, if any, is left to the user. A failed
    // search records its failure before returning.
    if (!run.Finished()) run.End(RunOutcome::NothingToDo);
  } catch (const std::exception& e) {
    run.End(RunOutcome::Failed);
    if (Windowing* win = app.platform.windowing) win->MessageBox(e.what(), "", MsgButtons::Ok);
  }
}

bool WindowRunEnded(MainWindow& w, bool unattended) {
  if (unattended && w.Run().Finished() && !w.Unloaded() && !w.CloseRequested()) w.UnloadMe();
  return w.Unloaded();
}

int WindowRunStatus(MainWindow& w, bool unattended) {
  return unattended ? ExitStatus(w.Run().Outcome()) : kExitSuccess;
}

}  // namespace quo
