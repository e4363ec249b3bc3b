// The main window over its Qt view: clicks, keys, the dots timer, the tray menu, closing while
// an operation runs.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "platform/tray.h"
#include "qt_test_support.h"
#include "ui/qt/gui_run.h"
#include "ui/qt/qt_windowing.h"

using quo::test::QtWindowFixture;

namespace {

// A notification area that exists, recording what the window asks of it.
class RecordingTray : public quo::Tray {
 public:
  bool Available() override { return true; }
  void Add(const std::string& tip, std::function<void()> dbl, std::function<void()> ctx) override {
    this->tip = tip, added = true, doubleClick = std::move(dbl), contextMenu = std::move(ctx);
  }
  void SetTip(const std::string& t) override { tip = t; }
  void Remove() override { added = false; }
  std::string tip;
  bool added = false;
  std::function<void()> doubleClick, contextMenu;
};

void TypeVersion(QtWindowFixture& f, const QString& text) {
  auto* box = f.Get<QLineEdit>("txtVersion");
  box->clear();
  QTest::keyClicks(box, text);
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void interactiveStartShowsTheDesignedWindow() {
    QtWindowFixture f;
    f.Start();
    QWidget* window = f.View().Window();
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QString("Quorvanta Update"));
    QCOMPARE(window->size(), QSize(313, 207));  // 4695 x 3105 twips
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QCOMPARE(f.Get<QPushButton>("cmdMettreAJour")->text(), QString("Sortir"));
    QCOMPARE(f.Get<QAction>("mnuShow")->text(), QString("Cacher"));
    QCOMPARE(f.Get<QTimer>("tmrMvt")->interval(), 500);
  }

  void clickAndEnterCheckTheVersionThenSearch() {
    QtWindowFixture f;
    f.Start();
    TypeVersion(f, "01.002.3");
    QTest::mouseClick(f.Get<QPushButton>("cmdRechercher"), Qt::LeftButton);
    QCOMPARE(f.w->searches, 1);
    QCOMPARE(f.w->MyVersion, std::string("1.2.3"));
    QCOMPARE(f.Get<QLineEdit>("txtVersion")->text(), QString("1.2.3"));

    TypeVersion(f, "7.a.9");
    QTest::keyClick(f.Get<QLineEdit>("txtVersion"), Qt::Key_Return);
    QCOMPARE(f.w->searches, 2);
    QCOMPARE(f.w->MyVersion, std::string("7.0.9"));
    QVERIFY(f.t.windowing.boxes.empty());

    TypeVersion(f, "1.2");  // refused with a message, left as typed
    QTest::keyClick(f.Get<QLineEdit>("txtVersion"), Qt::Key_Enter);
    QCOMPARE(f.w->searches, 2);
    QCOMPARE(f.Get<QLineEdit>("txtVersion")->text(), QString("1.2"));
    QCOMPARE(f.t.windowing.boxes.size(), std::size_t(1));
    QCOMPARE(f.t.windowing.boxes[0].text, std::string("Version incorrecte"));
  }

  void theTimerAnimatesTheDotsOfThePhase() {
    QtWindowFixture f;
    f.Start();
    f.w->SetPhase("Connexion");
    (*f.w)["tmrMvt"].SetEnabled(true);
    QVERIFY(f.Get<QTimer>("tmrMvt")->isActive());
    auto* label = f.Get<QLabel>("lblPhase");
    QTRY_COMPARE_WITH_TIMEOUT(label->text(), QString("Connexion."), 3000);
    QTRY_COMPARE_WITH_TIMEOUT(label->text(), QString("Connexion.."), 3000);
    (*f.w)["tmrMvt"].SetEnabled(false);
    QVERIFY(!f.Get<QTimer>("tmrMvt")->isActive());
  }

  void mnuShowHidesToTheTrayAndBack() {
    QtWindowFixture f;
    RecordingTray tray;
    f.t.platform.tray = &tray;
    f.Start();
    QVERIFY(tray.added);
    QCOMPARE(tray.tip, std::string("Quorvanta Update"));
    QWidget* window = f.View().Window();
    f.Get<QAction>("mnuShow")->trigger();
    QVERIFY(!window->isVisible());
    QCOMPARE(f.Get<QAction>("mnuShow")->text(), QString("Montrer"));
    f.Get<QAction>("mnuShow")->trigger();
    QVERIFY(window->isVisible() && !window->isMinimized());
    QCOMPARE(f.Get<QAction>("mnuShow")->text(), QString("Cacher"));
    // The icon's double-click shows a hidden window; its context request pops up mnuMain.
    f.Get<QAction>("mnuShow")->trigger();
    tray.doubleClick();
    QVERIFY(window->isVisible());
    tray.contextMenu();
    QTRY_VERIFY(f.Get<QMenu>("mnuMain")->isVisible());
    f.Get<QMenu>("mnuMain")->hide();
    f.Get<QAction>("mnuStop")->trigger();
    QVERIFY(!tray.added);
    QVERIFY(f.w->Unloaded());
  }

  void withoutATrayTheWindowIsNeverHidden() {
    QtWindowFixture f;  // the offscreen platform has no notification area
    f.Start();
    QVERIFY(!f.w->HasTrayIcon());
    f.Get<QAction>("mnuShow")->trigger();
    QVERIFY(f.View().Window()->isVisible());
    QVERIFY(f.View().Window()->isMinimized());
  }

  void aClickDuringAnOperationStartsNothing() {
    QtWindowFixture f;
    f.Start();
    TypeVersion(f, "1.0.0");
    int nested = 0;
    f.w->inSearch = [&] {
      if (f.w->searches > 1) ++nested;
      // The operation disables the button; Enter in the text box still reaches the handler.
      (*f.w)["cmdRechercher"].SetEnabled(false);
      QTest::mouseClick(f.Get<QPushButton>("cmdRechercher"), Qt::LeftButton);
      QTest::keyClick(f.Get<QLineEdit>("txtVersion"), Qt::Key_Return);
      f.t.app->Pause(30);
      (*f.w)["cmdRechercher"].SetEnabled(true);
    };
    QTest::mouseClick(f.Get<QPushButton>("cmdRechercher"), Qt::LeftButton);
    QCOMPARE(f.w->searches, 1);
    QCOMPARE(nested, 0);
  }

  void closingDuringADownloadStopsItThenUnloads() {
    QtWindowFixture f;
    f.w = std::make_unique<quo::test::WatchedWindow>(*f.t.app, f.forms);
    f.w->found = true;
    const std::string downloads = f.t.dir / "Download/";
    int packages = 0;
    bool hiddenAtOnce = false;
    f.w->inRun = [&] {
      for (int i = 0; i < 10; ++i) {
        if (f.w->CloseRequested()) return;  // the next safe point: stop downloading
        quo::test::WriteFile(downloads + "pkg" + std::to_string(i), "data");
        ++packages;
        if (i == 2) {
          f.View().Window()->close();  // the close box
          hiddenAtOnce = !f.View().Window()->isVisible() && !f.w->Unloaded();
        }
        f.t.app->Pause(10);
      }
    };
    quo::test::WriteFile(f.t.settingsPath(), "[temps]\r\nfrequence=1\r\n");  // a check is due
    const quo::LaunchPlan plan = quo::PlanLaunch(*f.t.app, {"2.1.0", f.t.dir.path(), "1036"});
    QVERIFY(plan.proceed);
    RunWindowStartup(*f.w, plan);
    QCOMPARE(f.w->runs, 1);
    QVERIFY(hiddenAtOnce);
    QCOMPARE(packages, 3);
    QVERIFY(f.w->Unloaded());
  }

  void closingDuringAnInstallationLetsItFinish() {
    QtWindowFixture f;
    f.Start();
    const std::string target = f.t.dir / "product.bin";
    int steps = 0;
    f.w->inRun = [&] {  // an installation: every step runs, closing or not
      for (int i = 0; i < 6; ++i) {
        quo::test::WriteFile(target, "version " + std::to_string(i));
        ++steps;
        if (i == 1) f.Get<QAction>("mnuStop")->trigger();
        f.t.app->Pause(10);
      }
    };
    f.w->LancerMaj(true);
    QCOMPARE(steps, 6);
    QCOMPARE(quo::test::ReadFile(target), std::string("version 5"));
    QVERIFY(f.w->Unloaded());
    QVERIFY(!f.View().Window()->isVisible());
  }

  void unattendedBoxesAnswerOkAndGoToTheLog() {
    quo::test::TempDir dir;
    std::FILE* log = std::fopen((dir / "err").c_str(), "w");
    quo::QtWindowing windowing(true, "QuoUpdate", log);
    QCOMPARE(windowing.MessageBox("Installer ?\r\n2.1.0", "", quo::MsgButtons::OkCancel),
             quo::MsgResult::Ok);
    QCOMPARE(windowing.MessageBox("Fini", "Quorvanta", quo::MsgButtons::Ok), quo::MsgResult::Ok);
    QVERIFY(!windowing.OpenFile("Recherche", "Quorvanta", "Quorvanta.exe").has_value());
    std::fclose(log);
    QCOMPARE(quo::test::ReadFile(dir / "err"),
             std::string("QuoUpdate: Installer ?\n2.1.0\nQuorvanta: Fini\n"));
  }

  void unattendedEventLoopEndsWithTheOutcome() {
    for (const bool success : {true, false}) {
      QtWindowFixture f;
      f.Start();
      f.w->inRun = [&] { f.w->SetOutcome(true, success); };
      QTimer::singleShot(0, [&] { f.w->LancerMaj(true); });
      QCOMPARE(quo::RunEventLoop(*f.w, true), success ? 0 : 1);
      QVERIFY(f.w->Unloaded());
    }
    QtWindowFixture f;  // an interactive close ends the loop with 0
    f.Start();
    QTimer::singleShot(0, [&] { f.View().Window()->close(); });
    QCOMPARE(quo::RunEventLoop(*f.w, false), 0);
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
