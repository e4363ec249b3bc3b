#include "window/qt/qt_run.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "app/app_context.h"
#include "app/exit_status.h"
#include "platform/service_plug.h"
#include "platform/windowing.h"
#include "run/update_run.h"
#include "startup/launch.h"
#include "window/main_window.h"
#include "window/qt/program_icon.h"
#include "window/qt/qt_avi_player.h"
#include "window/qt/qt_form.h"
#include "window/qt/qt_translation.h"
#include "window/qt/qt_tray.h"
#include "window/qt/qt_windowing.h"
#include "window/startup_window.h"

namespace quo {

namespace {

constexpr int kWatchIntervalMs = 50;

}  // namespace

// A run that has reached its end closes the window after the running operation, if any.
int RunEventLoop(MainWindow& w, bool unattended) {
  if (!WindowRunEnded(w, unattended)) {
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (WindowRunEnded(w, unattended)) QCoreApplication::exit(0);
    });
    watch.start(kWatchIntervalMs);
    QApplication::exec();
  }
  return WindowRunStatus(w, unattended);
}

int RunWindow(AppContext& app, const LaunchPlan& plan, int& argc, char** argv) {
  QApplication qapp(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);  // a window hidden to the tray goes on
  QApplication::setWindowIcon(ProgramIcon());
  // Standard buttons and dialogs in the language start-up settled on.
  const auto qtTexts = InstallQtTranslation(app.translation.currentLanguage);
  const bool unattended = UnattendedRun();
  QtWindowing windowing(unattended, app.exeName);
  Plug<Windowing> plugWindowing(app.platform.windowing, &windowing);
  if (!plan.error.empty()) {
    windowing.MessageBox(plan.error, "", MsgButtons::Ok);
    return plan.status;
  }
  QtTray tray;
  Plug<Tray> plugTray(app.platform.tray, &tray);
  QtFormFactory forms;
  UpdateRun run(app);
  MainWindow w(run, forms);
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
