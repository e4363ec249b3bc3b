// The entries of the window-and-engine module. No exception leaves them: on Windows the launcher
// is another module, with its own runtime, and on either system an error here must still end
// the process with a status the product can read.
#include <cstdio>
#include <exception>
#include <string>

#include "app/app_context.h"
#include "app/exit_status.h"
#include "install/recovery.h"
#include "module/engine_services.h"
#include "module/entries.h"
#include "window/window_run.h"

extern "C" QUO_MODULE_EXPORT int quo_recover(quo::AppContext* app, const std::string* folder,
                                             std::string* message) {
  try {
    quo::SystemProcesses processes;
    quo::Plug<quo::Processes> plug(app->platform.processes, &processes);
    const quo::RecoveryResult r = quo::RecoverInstallation(*app, *folder);
    *message = r.message;
    return r.ok ? 1 : 0;
  } catch (const std::exception& e) {
    *message = e.what();
    return 0;
  }
}

extern "C" QUO_MODULE_EXPORT int quo_gui_run(quo::AppContext* app, const quo::LaunchPlan* plan,
                                             int* argc, char** argv) {
  try {
    quo::EngineServices services(app->platform);
    return quo::RunWindow(*app, *plan, *argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "QuoUpdate: %s\n", e.what());
    return quo::kExitFailed;
  }
}
