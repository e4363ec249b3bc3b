#include "window/startup_window.h"

#include "app/app_context.h"
#include "run/update_run.h"
#include "platform/windowing.h"
#include "startup/launch.h"
#include "window/frm_param.h"
#include "window/frm_test_ftp.h"
#include "window/traduire_form.h"

namespace quo {

namespace {

void ShowAndActivate(frmTestFTP& w) {
  w.Show();
  w.App().PumpMessages();
  w.View().Show();
}

}  // namespace

void RunWindowStartup(frmTestFTP& w, const LaunchPlan& plan) {
  AppContext& app = w.App();
  UpdateRun& run = w.Run();
  try {
    w.Form_Load();
    const ServerSettings& s = plan.settings;
    run.MyMotPasse = s.MotPasse;
    run.MyUser = s.User;
    run.MyAdresse = s.Adresse;
    run.MyRepertoireFTP = s.Chemin;
    run.MyInstallationDest = s.Destination;
    if (plan.mode == LaunchMode::Interactive || plan.mode == LaunchMode::BadCommandLine) {
      run.Externe = false;
      ShowAndActivate(w);
      return;
    }
    const auto& f = plan.commandLine.fields;
    w["picVersion"].SetVisible(false);
    w["txtVersion"].SetText(f[0]);
    run.MyVersion = f[0];
    run.MyInstallationDest = f[1];
    if (plan.languageGiven) {
      run.Langue = plan.langue;
      TraduireForm(app.translation, w.View(), false);
      w.Param();  // the settings dialog loads now, translated as it is built
    }
    run.Externe = plan.mode == LaunchMode::Launched;
    if (!run.Externe) w["txtVersion"].SetText(run.MyVersion);
    w["picVersion"].SetVisible(false);
    w.Show();

    frmTestFTP::BusyScope busy(w);
    const bool found = w.RechercheMaj();
    if (w.CloseRequested() || w.Unloaded()) return;
    if (found && run.Externe) {
      w.LancerMaj();
      // The run records its own outcome; one that did not reach it did not succeed.
      if (!run.Finished())
        run.End(w.CloseRequested() ? RunOutcome::Cancelled : RunOutcome::Failed);
      return;
    }
    if (found) {
      if (w["lblPhase"].Caption().empty())
        w["lblPhase"].SetCaption(app.Traduire("Denouvellesmisesàjoursontdisponibles"));
    } else if (w["lblPhase"].Caption().empty()) {
      w["lblPhase"].SetCaption(app.Traduire("Aucunenouvelemiseàjourdedisponible"));
    }
    // Nothing more happens by itself: the installation, if any, is left to the user. A failed
    // search records its failure before returning.
    if (!run.Finished()) run.End(RunOutcome::NothingToDo);
  } catch (const std::exception& e) {
    run.End(RunOutcome::Failed);
    if (Windowing* win = app.platform.windowing) win->MessageBox(e.what(), "", MsgButtons::Ok);
  }
}

}  // namespace quo
