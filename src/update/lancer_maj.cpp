#include "update/lancer_maj.h"

#include "app/app_context.h"
#include "engine/run_view.h"
#include "engine/update_run.h"
#include "update/telecharger_maj.h"

namespace quo {

void LancerMaj(UpdateRun& run, RunView& view, bool Force, const std::string& sortirCaption) {
  AppContext& app = run.app;
  view.ShowProgress(true);
  run.ErrorText.clear();
  view.SetActionCaption(app.Traduire("Miseajour"));
  view.EnableButton(RunButton::Action, false);
  TelechargerMaj(run, view, run.MyDossier + "Actions.ini", Force);

  view.SetActionCaption(sortirCaption);
  view.EnableButton(RunButton::Action, true);
  if (run.ErrorText.empty())
    view.ShowPhase(app.Traduire("Miseajourcorrectementterminée"));
  else
    view.ShowPhase(app.Traduire("Deserreursonteutlieus") + "\r\n" + run.ErrorText);
  view.RepaintPhase();
  view.ShowProgress(false);
  run.MajDisponible = false;
  run.SetOutcome(true, run.ErrorText.empty());
}

}  // namespace quo
