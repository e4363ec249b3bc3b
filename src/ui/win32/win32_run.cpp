// The run from the window on, in the Windows build. The native views do not exist yet: the run
// goes on unattended only (QUOUPDATE_UNATTENDED=1), with the in-memory form, its phase told on
// standard error and message boxes answered by default; any other start says so in a message box
// and ends with status 2.
#include <cstdio>
#include <exception>
#include <string>

#include "app/app_context.h"
#include "app/exit_status.h"
#include "engine/update_run.h"
#include "install/recovery.h"
#include "platform/shared/curl_ftp_service.h"
#include "platform/shared/libarchive_rar.h"
#include "platform/win32/toolhelp_processes.h"
#include "platform/win32/win32_crypto.h"
#include "platform/win32/win32_windowing.h"
#include "startup/launch.h"
#include "ui/form.h"
#include "ui/frm_test_ftp.h"
#include "ui/run_entry.h"
#include "ui/service_plug.h"
#include "ui/startup_window.h"

namespace quo {

namespace {

int RunWin32(AppContext& app, const LaunchPlan& plan) {
  const bool unattended = UnattendedStart(app);
  Win32Windowing windowing(unattended, app.exeName);
  Plug<Windowing> plugWindowing(app.platform.windowing, &windowing);
  // An error that ended the start-up (a journal refused, a recovery that failed) is told first,
  // whatever the start: it may have ended before the command line was read.
  if (!plan.error.empty()) {
    windowing.MessageBox(plan.error, "", MsgButtons::Ok);
    return plan.status;
  }
  if (!unattended || plan.mode == LaunchMode::Interactive ||
      plan.mode == LaunchMode::BadCommandLine) {
    windowing.MessageBox(app.Traduire("SansFenetreWindows"), "", MsgButtons::Ok);
    return kExitRefused;
  }
  ToolhelpProcesses processes;
  Plug<Processes> plugProcesses(app.platform.processes, &processes);
  CurlFtpService ftp;
  Plug<FtpService> plugFtp(app.platform.ftp, &ftp);
  LibarchiveRar rar;
  Plug<RarLibrary> plugRar(app.platform.rar, &rar);
  Win32Crypto crypto;
  Plug<Crypto> plugCrypto(app.platform.crypto, &crypto);
  MemoryFormFactory forms;
  UpdateRun run(app);
  frmTestFTP w(run, forms);
  static_cast<MemoryForm&>(w.View()).LogCaptions("lblPhase", stderr, "QuoUpdate: ");
  w.SetPhaseLogged(true);
  RunWindowStartup(w, plan);
  // A forced or launched run has gone the whole road inside the start-up.
  if (!run.Finished()) run.End(RunOutcome::Failed);
  return ExitStatus(run.Outcome());
}

}  // namespace

}  // namespace quo

extern "C" QUO_GUI_EXPORT int quo_recover(quo::AppContext* app, const std::string* folder,
                                        std::string* message) {
  try {
    quo::ToolhelpProcesses processes;
    quo::Plug<quo::Processes> plug(app->platform.processes, &processes);
    const quo::RecoveryResult r = quo::RecoverInstallation(*app, *folder);
    *message = r.message;
    return r.ok ? 1 : 0;
  } catch (const std::exception& e) {
    *message = e.what();
    return 0;
  }
}

// No exception leaves the module: the launcher is another module, with its own runtime.
extern "C" QUO_GUI_EXPORT int quo_gui_run(quo::AppContext* app, const quo::LaunchPlan* plan, int*,
                                          char**) {
  try {
    return quo::RunWin32(*app, *plan);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "QuoUpdate: %s\n", e.what());
    return quo::kExitFailed;
  }
}
