#include "ui/qt/gui_run.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "app/app_context.h"
#include "app/exit_status.h"
#include "engine/update_run.h"
#include "install/recovery.h"
#include "platform/posix/openssl_crypto.h"
#include "platform/posix/procfs_processes.h"
#include "platform/shared/curl_ftp_service.h"
#include "platform/shared/libarchive_rar.h"
#include "platform/windowing.h"
#include "startup/launch.h"
#include "ui/frm_test_ftp.h"
#include "ui/qt/program_icon.h"
#include "ui/qt/qt_avi_player.h"
#include "ui/qt/qt_form.h"
#include "ui/qt/qt_translation.h"
#include "ui/qt/qt_tray.h"
#include "ui/qt/qt_windowing.h"
#include "ui/service_plug.h"
#include "ui/startup_window.h"

namespace quo {

namespace {

constexpr int kWatchIntervalMs = 50;

}  // namespace

// A run that has reached its end closes the window after the running operation, if any.
int RunEventLoop(frmTestFTP& w, bool unattended) {
  auto ended = [&w, unattended] {
    if (unattended && w.Run().Finished() && !w.Unloaded() && !w.CloseRequested()) w.UnloadMe();
    return w.Unloaded();
  };
  if (!ended()) {
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (ended()) QCoreApplication::exit(0);
    });
    watch.start(kWatchIntervalMs);
    QApplication::exec();
  }
  if (!unattended) return kExitSuccess;
  return ExitStatus(w.Run().Outcome());
}

int RunGui(AppContext& app, const LaunchPlan& plan, int& argc, char** argv) {
  QApplication qapp(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);  // a window hidden to the tray goes on
  QApplication::setWindowIcon(ProgramIcon());
  // Standard buttons and dialogs in the language start-up settled on.
  const auto qtTexts = InstallQtTranslation(app.translation.LangueCourante);
  const bool unattended = UnattendedRun();
  QtWindowing windowing(unattended, app.exeName);
  Plug<Windowing> plugWindowing(app.platform.windowing, &windowing);
  if (!plan.error.empty()) {
    windowing.MessageBox(plan.error, "", MsgButtons::Ok);
    return plan.status;
  }
  QtTray tray;
  Plug<Tray> plugTray(app.platform.tray, &tray);
  // The engine's services (the launcher runs with the base ones only).
  ProcfsProcesses processes;
  Plug<Processes> plugProcesses(app.platform.processes, &processes);
  CurlFtpService ftp;
  Plug<FtpService> plugFtp(app.platform.ftp, &ftp);
  LibarchiveRar rar;
  Plug<RarLibrary> plugRar(app.platform.rar, &rar);
  OpenSslCrypto crypto;
  Plug<Crypto> plugCrypto(app.platform.crypto, &crypto);
  QtFormFactory forms;
  UpdateRun run(app);
  frmTestFTP w(run, forms);
  auto& view = static_cast<QtForm&>(w.View());
  QtAnimationService animation(view.Get<QWidget>("AviPlayer"), app.programDir);
  Plug<AnimationService> plugAnimation(app.platform.animation, &animation);
  // An unattended run tells on standard error what it shows in its phase label.
  if (unattended) {
    static_cast<QtControl&>(w["lblPhase"]).LogCaptions(stderr, "QuoUpdate: ");
    w.SetPhaseLogged(true);
  }
  RunWindowStartup(w, plan);
  // For the start-up benchmark: end once the window has been shown and painted.
  if (qEnvironmentVariable("QUOUPDATE_QUIT_WHEN_SHOWN") == "1") {
    QApplication::processEvents();
    return kExitSuccess;
  }
  return RunEventLoop(w, unattended);
}

}  // namespace quo

extern "C" QUO_GUI_EXPORT int quo_recover(quo::AppContext* app, const std::string* folder,
                                        std::string* message) {
  quo::ProcfsProcesses processes;
  quo::Plug<quo::Processes> plug(app->platform.processes, &processes);
  const quo::RecoveryResult r = quo::RecoverInstallation(*app, *folder);
  *message = r.message;
  return r.ok ? 1 : 0;
}

extern "C" QUO_GUI_EXPORT int quo_gui_run(quo::AppContext* app, const quo::LaunchPlan* plan,
                                          int* argc, char** argv) {
  return quo::RunGui(*app, *plan, *argc, argv);
}
