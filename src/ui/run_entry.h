// The entries of the program folder's window-and-engine module, which the launcher looks up when
// the run goes on (or when an interrupted installation must be recovered).
#pragma once

#include <string>

namespace quo {

class AppContext;
struct LaunchPlan;

#if defined(_WIN32)
#define QUO_GUI_EXPORT __declspec(dllexport)
#else
#define QUO_GUI_EXPORT __attribute__((visibility("default")))
#endif

// The module's entry point, looked up by the launcher (kGuiEntry in the program folder's
// kGuiModule); same meaning as RunGui.
using GuiEntryFn = int (*)(AppContext* app, const LaunchPlan* plan, int* argc, char** argv);
#if defined(_WIN32)
inline constexpr char kGuiModule[] = "quo_gui.dll";
#else
inline constexpr char kGuiModule[] = "libquo_gui.so";
#endif
inline constexpr char kGuiEntry[] = "quo_gui_run";
// The recovery of an interrupted installation of folder, with the module's process service: 1
// when the product is whole again, else 0 and why in message.
using RecoverEntryFn = int (*)(AppContext* app, const std::string* folder, std::string* message);
inline constexpr char kRecoverEntry[] = "quo_recover";

}  // namespace quo
