// Entry point. The light start-up (single instance, translation export, command line, log,
// settings, language, schedule) runs here with the base services only; a launch with no check
// due ends before any window, Qt platform plugin or video library is loaded. Only when the run
// goes on does the window-and-engine module of the program folder get loaded.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/shared/base/ini_profile.h"
#include "platform/module_loader.h"
#include "platform/posix/base/posix_files.h"
#include "platform/posix/base/posix_system.h"
#include "app/app_context.h"
#include "app/exit_status.h"
#include "startup/launch.h"
#include "ui/run_entry.h"

namespace {

// The reader of the translators' database, only when the database is there.
quo::TranslationDb* TranslationDbFor(quo::AppContext& app) {
  if (!app.platform.files->IsOrdinaryFile(app.programDir + "TraductionUpdate.mdb")) return nullptr;
  std::string error;
  using Fn = quo::TranslationDb* (*)();
  auto fn = reinterpret_cast<Fn>(
      quo::LoadModuleSymbol(app.programDir + "libquo_mdb.so", "quo_translation_db", error));
  return fn != nullptr ? fn() : nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  quo::PosixFiles files;
  quo::PosixSystem system;
  quo::IniProfile ini(files);
  quo::Platform platform;
  platform.files = &files;
  platform.system = &system;
  platform.ini = &ini;
  quo::AppContext app(platform, system.ProgramPath());
  platform.translationDb = TranslationDbFor(app);

  // An interrupted installation is recovered by the engine's module, loaded only for it.
  const auto recover = [](quo::AppContext& a) -> std::string {
    std::string why;
    auto fn = reinterpret_cast<quo::RecoverEntryFn>(
        quo::LoadModuleSymbol(a.programDir + quo::kGuiModule, quo::kRecoverEntry, why));
    if (fn == nullptr) return why;  // the module's own error
    return fn(&a, &why) == 1 ? std::string() : why;
  };
  const quo::LaunchPlan plan =
      quo::PlanLaunch(app, std::vector<std::string>(argv + 1, argv + argc), recover);
  if (plan.status == quo::kExitBusy)
    std::fprintf(stderr, "QuoUpdate: another instance is running; this one ends.\n");
  if (!plan.proceed && plan.error.empty()) return plan.status;

  std::string error;
  auto run = reinterpret_cast<quo::GuiEntryFn>(
      quo::LoadModuleSymbol(app.programDir + quo::kGuiModule, quo::kGuiEntry, error));
  if (run == nullptr) {
    std::fprintf(stderr, "QuoUpdate: %s\n", error.c_str());
    if (!plan.error.empty()) std::fprintf(stderr, "QuoUpdate: %s\n", plan.error.c_str());
    return plan.error.empty() ? quo::kExitFailed : plan.status;
  }
  return run(&app, &plan, &argc, argv);
}
