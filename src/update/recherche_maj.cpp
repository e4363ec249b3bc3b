#include "update/recherche_maj.h"

#include <exception>

#include "app/app_context.h"
#include "engine/run_view.h"
#include "engine/update_run.h"
#include "ftp/sck_ftp.h"
#include "platform/system.h"
#include "update/version_liste.h"

namespace quo {

namespace {

void EnableButtons(RunView& view, bool on) {
  view.EnableButton(RunButton::Options, on);
  view.EnableButton(RunButton::Action, on);
  view.EnableButton(RunButton::Search, on);
}

}  // namespace

bool RechercheMaj(UpdateRun& run, RunView& view, bool /*Force*/) {
  AppContext& app = run.app;
  bool result = false;
  try {
    EnableButtons(view, false);
    run.SessionFtp.reset();  // an earlier session closes its handles
    run.SessionFtp = std::make_unique<SckFtp>(app);
    if (run.MyAdresse.empty()) run.MyAdresse = QUO_DEFAULT_SERVER;
    SckFtp& ftp = *run.SessionFtp;
    ftp.SetURL(run.MyAdresse);
    ftp.SetPass(run.MyMotPasse);
    ftp.SetUser(run.MyUser);
    SetPhase(run, view, app.Traduire("Connectionauserveurencours"));
    view.PlayAnimation("PulseConnect");
    view.MoveDots(true);
    app.PumpMessages();
    app.platform.system->SleepMs(1);
    ftp.Connect();
    view.MoveDots(false);
    if (ftp.Connected() && !view.CloseRequested()) {
      view.PlayAnimation("SyncWebsite");
      ftp.SetDossier(run.MyDossier);
      // Without the update directory there is no version list to trust.
      const bool entered = ftp.ChangeDirectory(run.MyRepertoireFTP).ok;
      AnalyseListe(run, view, entered ? ftp.ListFile() : "");
      result = run.MajDisponible;
      if (!result) {
        view.SetActionCaption(app.Traduire("Sortir"));
        run.SetOutcome(true, entered);  // nothing to do, unless the server failed us
      }
      EnableButtons(view, true);
      view.PlayAnimation("");
    } else {
      view.PlayAnimation("");
      SetPhase(run, view, app.Traduire("Impossibledeseconnecterauserveur"));
      view.SetActionCaption(app.Traduire("Sortir"));
      view.EnableButton(RunButton::Action, true);
      view.EnableButton(RunButton::Search, true);
      if (run.SessionFtp) run.SessionFtp->Deconnect();
      run.SessionFtp.reset();
      run.SetOutcome(true, false);
    }
  } catch (const std::exception&) {
    // Any failure of the search ends in the closing steps with what was found so far.
  }
  view.MoveDots(false);
  view.EnableButton(RunButton::Options, true);
  if (run.Externe && !run.MajDisponible) view.UnloadMe();
  return result;
}

}  // namespace quo
