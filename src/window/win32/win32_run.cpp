// The run from the window on, in the Windows build: the main window over the Win32 views, its
// message boxes and busy animation, and the message loop until the window unloads.
#include <windows.h>
// After windows.h.
#include <commctrl.h>
#undef MessageBox  // the windowing service's own name, not the API's macro

#include <cstdio>

#include "app/app_context.h"
#include "app/exit_status.h"
#include "platform/service_plug.h"
#include "platform/system.h"
#include "run/update_run.h"
#include "startup/launch.h"
#include "window/main_window.h"
#include "window/startup_window.h"
#include "window/win32/win32_avi_player.h"
#include "window/win32/win32_form.h"
#include "window/win32/win32_windowing.h"
#include "window/window_run.h"

namespace quo {

namespace {

constexpr DWORD kWatchIntervalMs = 50;

}  // namespace

int RunWindow(AppContext& app, const LaunchPlan& plan, int&, char**) {
  const bool unattended = UnattendedStart(app);
  Win32Windowing windowing(unattended, app.exeName);
  Plug<Windowing> plugWindowing(app.platform.windowing, &windowing);
  // An error that ended the start-up (a journal refused, a recovery that failed) is told first,
  // whatever the start: it may have ended before the command line was read.
  if (!plan.error.empty()) {
    windowing.MessageBox(plan.error, "", MsgButtons::Ok);
    return plan.status;
  }
  const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS |
                                                         ICC_ANIMATE_CLASS | ICC_USEREX_CLASSES};
  ::InitCommonControlsEx(&classes);
  ::SetErrorMode(SEM_NOGPFAULTERRORBOX);
  Win32FormFactory forms;
  UpdateRun run(app);
  MainWindow w(run, forms);
  auto& view = static_cast<Win32Form&>(w.View());
  windowing.SetOwner(view.Hwnd());
  windowing.SetButtonTexts(app.Translate("BoutonOK"), app.Translate("BoutonAnnuler"));
  Win32AnimationService animation(static_cast<Win32Control&>(w["AviPlayer"]));
  Plug<AnimationService> plugAnimation(app.platform.animation, &animation);
  // An unattended run tells on standard error what it shows in its phase label.
  if (unattended) {
    static_cast<Win32Control&>(w["lblPhase"]).LogCaptions(stderr, "QuoUpdate: ");
    w.SetPhaseLogged(true);
  }
  RunWindowStartup(w, plan);
  // For the start-up benchmark: end once the window has been shown and painted.
  if (app.platform.system->GetEnv("QUOUPDATE_QUIT_WHEN_SHOWN").value_or("") == "1") {
    ::UpdateWindow(view.Hwnd());
    windowing.PumpMessages();
    return kExitSuccess;
  }
  while (!WindowRunEnded(w, unattended)) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kWatchIntervalMs, QS_ALLINPUT);
    windowing.PumpMessages();
  }
  return WindowRunStatus(w, unattended);
}

}  // namespace quo
