#include "update/recherche_maj.h"

#include <exception>

#include "ftp/sck_ftp.h"
#include "platform/system.h"
#include "app/app_context.h"
#include "ui/frm_test_ftp.h"
#include "update/version_liste.h"

namespace quo {

namespace {

void EnableButtons(frmTestFTP& w, bool on) {
  w["cmdOptions"].SetEnabled(on);
  w["cmdMettreAJour"].SetEnabled(on);
  w["cmdRechercher"].SetEnabled(on);
}

}  // namespace

bool RechercheMaj(frmTestFTP& w, bool /*Force*/) {
  frmTestFTP::BusyScope busy(w);
  AppContext& app = w.App();
  bool result = false;
  try {
    EnableButtons(w, false);
    w.SessionFtp.reset();  // an earlier session closes its handles
    w.SessionFtp = std::make_unique<SckFtp>(app);
    if (w.MyAdresse.empty()) w.MyAdresse = QUO_DEFAULT_SERVER;
    SckFtp& ftp = *w.SessionFtp;
    ftp.SetURL(w.MyAdresse);
    ftp.SetPass(w.MyMotPasse);
    ftp.SetUser(w.MyUser);
    w.SetPhase(app.Traduire("Connectionauserveurencours"));
    w.PlayAnimation("PulseConnect");
    w["tmrMvt"].SetEnabled(true);
    app.PumpMessages();
    app.platform.system->SleepMs(1);
    ftp.Connect();
    w["tmrMvt"].SetEnabled(false);
    if (ftp.Connected() && !w.CloseRequested()) {
      w.PlayAnimation("SyncWebsite");
      ftp.SetDossier(w.MyDossier);
      // Without the update directory there is no version list to trust.
      const bool entered = ftp.ChangeDirectory(w.MyRepertoireFTP).empty();
      AnalyseListe(w, entered ? ftp.ListFile() : "");
      result = w.MajDisponible;
      if (!result) {
        w["cmdMettreAJour"].SetCaption(app.Traduire("Sortir"));
        w.SetOutcome(true, entered);  // nothing to do, unless the server failed us
      }
      EnableButtons(w, true);
      w.PlayAnimation("");
    } else {
      w.PlayAnimation("");
      w.SetPhase(app.Traduire("Impossibledeseconnecterauserveur"));
      w["cmdMettreAJour"].SetCaption(app.Traduire("Sortir"));
      w["cmdMettreAJour"].SetEnabled(true);
      w["cmdRechercher"].SetEnabled(true);
      if (w.SessionFtp) w.SessionFtp->Deconnect();
      w.SessionFtp.reset();
      w.SetOutcome(true, false);
    }
  } catch (const std::exception&) {
    // Any failure of the search ends in the closing steps with what was found so far.
  }
  w["tmrMvt"].SetEnabled(false);
  w["cmdOptions"].SetEnabled(true);
  if (w.Externe && !w.MajDisponible) w.UnloadMe();
  return result;
}

}  // namespace quo
