// The run from the window on, over Qt: the application object, the window services, the main
// window and its start-up sequence, the event loop, and the process's exit status.
#pragma once

#include <string>

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

#if defined(_WIN32)
#define QUO_GUI_EXPORT __declspec(dllexport)
#else
#define QUO_GUI_EXPORT __attribute__((visibility("default")))
#endif

// The module's entry point, looked up by the launcher (kGuiEntry in the program folder's
// kGuiModule); same meaning as RunGui.
using GuiEntryFn = int (*)(AppContext* app, const LaunchPlan* plan, int* argc, char** argv);
inline constexpr char kGuiModule[] = "libquo_gui.so";
inline constexpr char kGuiEntry[] = "quo_gui_run";
// The recovery of an interrupted installation, with the module's process service: 1 when the
// product is whole again, else 0 and why in message.
using RecoverEntryFn = int (*)(AppContext* app, std::string* message);
inline constexpr char kRecoverEntry[] = "quo_recover";

}  // namespace quo
