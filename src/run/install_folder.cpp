#include "run/install_folder.h"

#include "app/app_context.h"
#include "app/log.h"
#include "run/run_view.h"
#include "run/update_run.h"
#include "platform/files.h"

namespace quo {

bool CheckInstallFolder(UpdateRun& run, RunView& view) {
  AppContext& app = run.app;
  Files& files = *app.platform.files;
  if (run.MyInstallationDest.empty()) run.MyInstallationDest = app.programDir;
  const char* key = !files.IsAbsolutePath(run.MyInstallationDest) ? "DossierNonAbsolu"
                    : !files.IsDirectory(run.MyInstallationDest)  ? "DossierInstallationAbsent"
                                                                  : nullptr;
  if (key == nullptr) return true;
  const std::string text = app.Traduire(key) + " " + run.MyInstallationDest;
  SetPhase(run, view, text);
  view.SetActionCaption(app.Traduire("Sortir"));
  WriteLog(app, text);
  run.End(RunOutcome::Refused);
  return false;
}

}  // namespace quo
