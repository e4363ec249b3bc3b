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
  if (run.installDir.empty()) run.installDir = app.programDir;
  const char* key = !files.IsAbsolutePath(run.installDir) ? "DossierNonAbsolu"
                    : !files.IsDirectory(run.installDir)  ? "DossierInstallationAbsent"
                                                          : nullptr;
  if (key == nullptr) return true;
  const std::string text = app.Translate(key) + " " + run.installDir;
  SetPhase(run, view, text);
  view.SetActionCaption(app.Translate("Sortir"));
  WriteLog(app, text);
  run.End(RunOutcome::Refused);
  return false;
}

}  // namespace quo
