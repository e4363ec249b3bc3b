// The run from the window on, over the toolkit of this build's views (window/qt or
// window/win32): the window services, the main window and its start-up sequence, the event loop.
// The engine's services are already in the platform.
#pragma once

namespace quo {

class AppContext;
struct LaunchPlan;

// Runs until the main window unloads and gives the process's exit status: 0, or in an
// unattended run (QUOUPDATE_UNATTENDED=1) that of the run's outcome; that of the start-up when
// it failed.
int RunWindow(AppContext& app, const LaunchPlan& plan, int& argc, char** argv);

}  // namespace quo
