// The entries of the program folder's modules, which the launcher looks up: the window-and-engine
// module when the run goes on (or when an interrupted installation must be recovered), the
// translation-database reader when TraductionUpdate.mdb exists.
#pragma once

#include <string>

namespace quo {

class AppContext;
class TranslationDb;
struct LaunchPlan;

#if defined(_WIN32)
#define QUO_MODULE_EXPORT __declspec(dllexport)
#else
#define QUO_MODULE_EXPORT __attribute__((visibility("default")))
#endif

// The run from the window on (kGuiEntry in the program folder's kGuiModule): the status the
// process ends with.
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

// The reader of the translators' database. The Windows build has none: the language files are
// used as they are.
using TranslationDbEntryFn = TranslationDb* (*)();
#if defined(_WIN32)
inline constexpr const char* kTranslationDbModule = nullptr;
#else
inline constexpr const char* kTranslationDbModule = "libquo_mdb.so";
#endif
inline constexpr char kTranslationDbEntry[] = "quo_translation_db";

}  // namespace quo
