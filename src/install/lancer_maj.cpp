#include "install/lancer_maj.h"

#include "app/app_context.h"
#include "ui/frm_test_ftp.h"
#include "update/telecharger_maj.h"

namespace quo {

namespace {

// Steps shared by both entry points once updates are known to be available.
void Run(frmTestFTP& w, bool Force, const std::string& sortirCaption) {
  w["prgPhase"].SetVisible(true);
  w.ErrorText.clear();
  Control& button = w["cmdMettreAJour"];
  button.SetCaption(w.App().Traduire("Miseajour"));
  button.SetEnabled(false);
  std::string nomIni = w.MyDossier + "Actions.ini";
  TelechargerMaj(w, nomIni, Force);
  FinishRun(w, sortirCaption);
}

}  // namespace

void FinishRun(frmTestFTP& w, const std::string& sortirCaption) {
  Control& button = w["cmdMettreAJour"];
  button.SetCaption(sortirCaption);
  button.SetEnabled(true);
  Control& label = w["lblPhase"];
  if (w.ErrorText.empty())
    label.SetCaption(w.App().Traduire("Miseajourcorrectementterminée"));
  else
    label.SetCaption(w.App().Traduire("Deserreursonteutlieus") + "\r\n" + w.ErrorText);
  label.Repaint();
  w["prgPhase"].SetVisible(false);
  w.MajDisponible = false;
  w.SetOutcome(true, w.ErrorText.empty());
}

void LancerMaj(frmTestFTP& w, bool Force) {
  frmTestFTP::BusyScope busy(w);
  if (!w.SessionFtp) {
    w.cmdRechercher_Click();
    return;
  }
  w["picVersion"].SetVisible(false);
  if (!w.MajDisponible) {
    w.UnloadMe();
    return;
  }
  Run(w, Force, "Sortir");
}

void cmdMettreAJour_Click(frmTestFTP& w) {
  frmTestFTP::BusyScope busy(w);
  if (!w.SessionFtp) {
    if (w.Externe)
      w.cmdRechercher_Click();
    else
      w.UnloadMe();
    return;
  }
  w["picVersion"].SetVisible(false);
  if (!w.MajDisponible) {
    w.UnloadMe();
    return;
  }
  Run(w, false, w.App().Traduire("Sortir"));
}

}  // namespace quo
