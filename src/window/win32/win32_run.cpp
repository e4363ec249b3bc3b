// The run from the window on, in the Windows build. The native views do not exist yet: the run
// goes on unattended only (QUOUPDATE_UNATTENDED=1), with the in-memory form, its phase told on
// standard error and message boxes answered by default; any other start says so in a message box
// and ends with status 2.
#include <cstdio>

#include "app/app_context.h"
#include "app/exit_status.h"
#include "platform/service_plug.h"
#include "run/update_run.h"
#include "startup/launch.h"
#include "window/form.h"
#include "window/main_window.h"
#include "window/startup_window.h"
#include "window/win32/win32_windowing.h"
#include "window/window_run.h"

namespace quo {

int RunWindow(AppContext& app, const LaunchPlan& plan, int&, char**) {
  const bool unattended = UnattendedStart(app);
  Win32Windowing windowing(unattended, app.exeName);
  Plug<Windowing> plugWindowing(app.platform.windowing, &windowing);
  // An error that ended the start-up (a journal refused, a recovery that failed) is told first,
  // whatever the start: it may have ended before the command line was read.
  if (!plan.error.empty()) {
    windowing.MessageBox(plan.error, "", MsgButtons::Ok);
    return plan.status;
  }
  if (!unattended || plan.mode == LaunchMode::Interactive ||
      plan.mode == LaunchMode::BadCommandLine) {
    windowing.MessageBox(app.Translate("SansFenetreWindows"), "", MsgButtons::Ok);
    return kExitRefused;
  }
  MemoryFormFactory forms;
  UpdateRun run(app);
  MainWindow w(run, forms);
  static_cast<MemoryForm&>(w.View()).LogCaptions("lblPhase", stderr, "QuoUpdate: ");
  w.SetPhaseLogged(true);
  RunWindowStartup(w, plan);
  // A forced or launched run has gone the whole road inside the start-up.
  if (!run.Finished()) run.End(RunOutcome::Failed);
  return ExitStatus(run.Outcome());
}

}  // namespace quo
