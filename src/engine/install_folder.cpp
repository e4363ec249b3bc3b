#include "engine/install_folder.h"

#include <exception>

#include "app/app_context.h"
#include "app/log.h"
#include "engine/run_view.h"
#include "engine/update_run.h"
#include "platform/files.h"

namespace quo {

bool CheckInstallFolder(UpdateRun& run, RunView& view) {
  AppContext& app = run.app;
  if (run.MyInstallationDest.empty()) run.MyInstallationDest = app.programDir;
  if (app.platform.files->IsAbsolutePath(run.MyInstallationDest)) return true;
  const std::string text = app.Traduire("DossierNonAbsolu") + " " + run.MyInstallationDest;
  SetPhase(run, view, text);
  view.SetActionCaption(app.Traduire("Sortir"));
  try {
    WriteLog(app, text);
  } catch (const std::exception&) {
    // The phase already tells it; a log that cannot be written changes nothing to the refusal.
  }
  run.End(RunOutcome::Refused);
  return false;
}

}  // namespace quo
