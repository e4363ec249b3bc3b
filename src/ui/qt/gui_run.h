// The run from the window on, over Qt: the application object, the window services, the main
// window and its start-up sequence, the event loop, and the process's exit status.
#pragma once

#include <string>

#include "ui/run_entry.h"

namespace quo {

class AppContext;
class frmTestFTP;
struct LaunchPlan;

// Runs until the main window unloads. The status is 0, or in an unattended run
// (QUOUPDATE_UNATTENDED=1) that of the run's outcome; that of the start-up when it failed.
int RunGui(AppContext& app, const LaunchPlan& plan, int& argc, char** argv);

// The event loop of a started window: returns once the window has unloaded. In an unattended
// run a window whose run has reached its end (Finished) is closed; the status is then that of
// the run's outcome. An interactive run always gives 0.
int RunEventLoop(frmTestFTP& w, bool unattended);

}  // namespace quo
