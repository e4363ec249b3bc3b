// The run from the window on, over Qt: the application object, the window services, the main
// window and its start-up sequence, the event loop, and the process's exit status.
#pragma once

namespace quo {

class AppContext;
class frmTestFTP;
struct LaunchPlan;

// Runs until the main window unloads. The status is 0, or in an unattended run
// (QUOUPDATE_UNATTENDED=1) 0 on success and 1 on failure; 1 when start-up failed.
int RunGui(AppContext& app, const LaunchPlan& plan, int& argc, char** argv);

// The event loop of a started window: returns once the window has unloaded. In an unattended
// run a window whose run has reached its end (Finished) is closed; the status is then 0 when
// the run succeeded and 1 otherwise. An interactive run always gives 0.
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

}  // namespace quo
