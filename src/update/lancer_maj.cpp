#include "update/lancer_maj.h"

#include "app/app_context.h"
#include "run/run_view.h"
#include "run/update_run.h"
#include "update/download_files.h"
#include "update/telecharger_maj.h"

namespace quo {

namespace {

// What the phase label says once the run is over.
std::string Outcome(UpdateRun& run) {
  AppContext& app = run.app;
  switch (run.Outcome()) {
    case RunOutcome::Installed: return app.Traduire("Miseajourcorrectementterminée");
    case RunOutcome::NothingToDo: return app.Traduire("Aucunenouvelemiseàjourdedisponible");
    case RunOutcome::Cancelled: return app.Traduire("Miseajourannulée");
    case RunOutcome::Refused: return run.TextePhase;  // the refusal says why
    case RunOutcome::Running:
    case RunOutcome::Failed: break;
  }
  return app.Traduire("Deserreursonteutlieus") + "\r\n" + run.ErrorText;
}

}  // namespace

void LancerMaj(UpdateRun& run, RunView& view, const std::string& sortirCaption) {
  AppContext& app = run.app;
  view.ShowProgress(true);
  run.ErrorText.clear();
  run.NonEnregistres.clear();
  run.End(RunOutcome::Running);
  view.SetActionCaption(app.Traduire("Miseajour"));
  view.EnableButton(RunButton::Action, false);
  TelechargerMaj(run, view, run.MyDossier + kActions);
  // Only a download that reached the installation and an installation that ran to its end
  // succeed; a run that stopped before either did not.
  if (!run.Finished()) run.End(view.CloseRequested() ? RunOutcome::Cancelled : RunOutcome::Failed);

  view.SetActionCaption(sortirCaption);
  view.EnableButton(RunButton::Action, true);
  std::string text = Outcome(run);
  if (run.Outcome() == RunOutcome::Installed && !run.NonEnregistres.empty()) {
    std::string line = app.Traduire("ComposantsNonEnregistres");
    for (std::size_t i = 0; i < run.NonEnregistres.size(); ++i)
      line += (i == 0 ? " " : ", ") + run.NonEnregistres[i];
    text += "\r\n" + line;
    if (!view.PhaseOnStandardError()) view.Warn(line);  // else the phase tells it
  }
  view.ShowPhase(text);
  view.RepaintPhase();
  view.ShowProgress(false);
  run.MajDisponible = false;
}

}  // namespace quo
