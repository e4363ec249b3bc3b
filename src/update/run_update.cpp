#include "update/run_update.h"

#include "app/app_context.h"
#include "run/run_view.h"
#include "run/update_run.h"
#include "update/download_files.h"
#include "update/download_update.h"

namespace quo {

namespace {

// What the phase label says once the run is over.
std::string Outcome(UpdateRun& run) {
  AppContext& app = run.app;
  switch (run.Outcome()) {
    case RunOutcome::Installed:
      return app.Translate("Miseajourcorrectementterminée");
    case RunOutcome::NothingToDo:
      return app.Translate("Aucunenouvelemiseàjourdedisponible");
    case RunOutcome::Cancelled:
      return app.Translate("Miseajourannulée");
    case RunOutcome::Refused:
      return run.phaseText;  // the refusal says why
    case RunOutcome::Running:
    case RunOutcome::Failed:
      break;
  }
  return app.Translate("Deserreursonteutlieus") + "\r\n" + run.errorText;
}

}  // namespace

void RunUpdate(UpdateRun& run, RunView& view, const std::string& exitCaption) {
  AppContext& app = run.app;
  view.ShowProgress(true);
  run.errorText.clear();
  run.componentsNotRegistered.clear();
  run.End(RunOutcome::Running);
  view.SetActionCaption(app.Translate("Miseajour"));
  view.EnableButton(RunButton::Action, false);
  DownloadUpdate(run, view, run.downloadDir + kActions);
  // Only a download that reached the installation and an installation that ran to its end
  // succeed; a run that stopped before either did not.
  if (!run.Finished()) run.End(view.CloseRequested() ? RunOutcome::Cancelled : RunOutcome::Failed);

  view.SetActionCaption(exitCaption);
  view.EnableButton(RunButton::Action, true);
  std::string text = Outcome(run);
  if (run.Outcome() == RunOutcome::Installed && !run.componentsNotRegistered.empty()) {
    std::string line = app.Translate("ComposantsNonEnregistres");
    for (std::size_t i = 0; i < run.componentsNotRegistered.size(); ++i)
      line += (i == 0 ? " " : ", ") + run.componentsNotRegistered[i];
    text += "\r\n" + line;
    if (!view.PhaseOnStandardError()) view.Warn(line);  // else the phase tells it
  }
  view.ShowPhase(text);
  view.RepaintPhase();
  view.ShowProgress(false);
  run.updateAvailable = false;
}

}  // namespace quo
