#include "install/registration.h"

#include <algorithm>
#include <exception>

#include "app/app_context.h"
#include "core/error.h"
#include "run/error_lines.h"
#include "run/update_run.h"
#include "install/target_dir.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "platform/system.h"
#include "platform/windowing.h"

namespace quo {

namespace {

constexpr int kChecks = 20;  // a file is looked for kChecks + 1 times
constexpr int kCheckDelayMs = 50;
// The unregistration must read the old file before it is moved aside: it is waited for this long.
constexpr int kUnregisterWaitMs = 5000;

// False when this system has nothing to run for the kind.
bool Start(AppContext& app, const std::string& kind, const std::string& path, bool unregister) {
  Processes* processes = app.platform.processes;
  const auto argv = RegistrationCommand(processes, kind, path, unregister);
  if (argv.empty()) return false;
  if (processes == nullptr) throw Error("Cannot start " + argv[0] + ": no process service");
  if (unregister)
    processes->StartAndWait(argv, kUnregisterWaitMs);
  else
    processes->StartDetached(argv);
  return true;
}

}  // namespace

std::vector<std::string> RegistrationCommand(Processes* processes, const std::string& kind,
                                             const std::string& path, bool unregister) {
  if (kind == "dll" || kind == "ocx") {
    const std::string tool = processes == nullptr ? "" : processes->InProcessRegistrar();
    if (tool.empty()) return {};
    if (unregister) return {tool, "/u", "/s", path};
    return {tool, "/s", path};
  }
  if (kind == "exeX") return {path, unregister ? "/UNREGSERVER" : "/REGSERVER"};
  return {};
}

bool RegisterComponent(UpdateRun& run, const std::string& path, const std::string& kind,
                       const std::string& sourceName) {
  AppContext& app = run.app;
  try {
    int attempts = 0;
    while (!app.platform.files->IsOrdinaryFile(path)) {
      if (!sourceName.empty()) app.platform.files->Copy(DownloadDir(app) + sourceName, path);
      app.platform.system->SleepMs(kCheckDelayMs);
      if (++attempts > kChecks) {
        run.errorText += "\r\nFichier  " + path + " Introuvable";
        return false;
      }
    }
    // A component this system cannot register is still installed; the run's outcome names it.
    const bool inProcess = kind == "dll" || kind == "ocx";
    if (!Start(app, kind, path, false) && inProcess &&
        std::find(run.componentsNotRegistered.begin(), run.componentsNotRegistered.end(), path) ==
            run.componentsNotRegistered.end())
      run.componentsNotRegistered.push_back(path);
    return true;
  } catch (const std::exception& e) {
    if (Windowing* win = app.platform.windowing)
      win->MessageBox(e.what(), "Enregistrement", MsgButtons::Ok);
    run.errorText += "\r\n" + InstallErrorLine(app, e.what()) + " Fichier : " + path;
    return false;
  }
}

void UnregisterComponent(AppContext& app, const std::string& path, const std::string& kind) {
  try {
    int attempts = 0;
    while (!app.platform.files->IsOrdinaryFile(path)) {
      app.platform.system->SleepMs(kCheckDelayMs);
      if (++attempts > kChecks) return;
    }
    Start(app, kind, path, true);
  } catch (const std::exception&) {
  }
}

}  // namespace quo
