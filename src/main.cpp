// Entry point. The light start-up (single instance, translation export, command line, log,
// settings, language, schedule) runs here with the base services only; a launch with no check
// due ends before any window, Qt platform plugin or video library is loaded. Only when the run
// goes on does the window-and-engine module of the program folder get loaded.
#include <cstdio>
#include <string>
#include <vector>

#include "core/error.h"
#if defined(_WIN32)
#include "platform/win32/base_services.h"
#else
#include "platform/posix/base_services.h"
#endif
#include "platform/module_loader.h"
#include "platform/platform.h"
#include "platform/program_arguments.h"
#include "platform/translation_db.h"
#include "app/app_context.h"
#include "app/exit_status.h"
#include "app/log.h"
#include "startup/launch.h"
#include "module/entries.h"

namespace {

// The database of a build that has no reader for it: opening it (the export's first step, after
// the single-instance check) notes in the launch log that it was not read, and fails, so the
// export replaces no language file and the run goes on with the ones there.
class UnreadTranslationDb : public quo::TranslationDb {
 public:
  explicit UnreadTranslationDb(quo::AppContext& app) : app_(app) {}
  void Open(const std::string&) override {
    const std::string note =
        "TraductionUpdate.mdb : base de traduction non lue par cette version "
        "Windows ; fichiers de langue utilisés";
    quo::WriteLog(app_, note);
    throw quo::Error(note);
  }
  std::vector<std::string> Columns(const std::string&) override { return {}; }
  std::vector<quo::DbRow> ReadRows(const std::string&) override { return {}; }
  void Close() override {}

 private:
  quo::AppContext& app_;
};

// The reader of the translators' database, only when the database is there.
quo::TranslationDb* TranslationDbFor(quo::AppContext& app) {
  if (!app.platform.files->IsOrdinaryFile(app.programDir + "TraductionUpdate.mdb")) return nullptr;
  if (quo::kTranslationDbModule == nullptr) {
    static UnreadTranslationDb unread(app);
    return &unread;
  }
  std::string error;
  auto fn = reinterpret_cast<quo::TranslationDbEntryFn>(quo::LoadModuleSymbol(
      app.programDir + quo::kTranslationDbModule, quo::kTranslationDbEntry, error));
  return fn != nullptr ? fn() : nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  quo::BaseServices base;
  quo::Platform platform;
  platform.files = &base.files;
  platform.system = &base.system;
  platform.ini = &base.ini;
  quo::AppContext app(platform, base.system.ProgramPath());
  platform.translationDb = TranslationDbFor(app);

  // An interrupted installation is recovered by the engine's module, loaded only for it.
  const auto recover = [](quo::AppContext& a, const std::string& folder) -> std::string {
    std::string why;
    auto fn = reinterpret_cast<quo::RecoverEntryFn>(
        quo::LoadModuleSymbol(a.programDir + quo::kGuiModule, quo::kRecoverEntry, why));
    if (fn == nullptr) return why;  // the module's own error
    return fn(&a, &folder, &why) == 1 ? std::string() : why;
  };
  const quo::LaunchPlan plan = quo::PlanLaunch(app, quo::ProgramArguments(argc, argv), recover);
  if (plan.status == quo::kExitBusy) {
    std::fprintf(stderr, "QuoUpdate: %s\n", plan.error.c_str());
    return plan.status;
  }
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
