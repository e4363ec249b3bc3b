// The main window and its settings dialog over their Qt views: clicks, keys, the dots timer,
// the tray icon and its menu, closing while an operation runs, the dialog against a real
// settings file, and the captions of both from a language file.
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "platform/tray.h"
#include "qt_test_support.h"
#include "ui/frm_param.h"
#include "ui/qt/gui_run.h"
#include "ui/qt/qt_windowing.h"

using quo::test::QtWindowFixture;

namespace {

// A notification area that exists, recording what the window asks of it.
class RecordingTray : public quo::Tray {
 public:
  bool Available() override { return true; }
  void Add(const std::string& tip, std::function<void()> dbl, std::function<void()> ctx) override {
    this->tip = tip, ++added, doubleClick = std::move(dbl), contextMenu = std::move(ctx);
  }
  void SetTip(const std::string& t) override { tip = t; }
  void Remove() override { ++removed; }
  std::string tip;
  int added = 0, removed = 0;
  std::function<void()> doubleClick, contextMenu;
};

QWidget* OpenDialog(QtWindowFixture& f) {
  QTest::mouseClick(f.Get<QPushButton>("cmdOptions"), Qt::LeftButton);
  return static_cast<quo::QtForm&>(f.w->Param().View()).Window();
}

template <class T>
T* InDialog(QtWindowFixture& f, const char* name) {
  return static_cast<quo::QtForm&>(f.w->Param().View()).Get<T>(name);
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  // Without a tray icon (the offscreen platform has no notification area).
  void theSearchBoxTheDotsAndMnuShowWithoutATray() {
    QtWindowFixture f;
    f.Start();
    auto* box = f.Get<QLineEdit>("txtVersion");
    box->clear();
    QTest::keyClicks(box, "01.002.3");
    QTest::mouseClick(f.Get<QPushButton>("cmdRechercher"), Qt::LeftButton);
    QCOMPARE(box->text(), QString("1.2.3"));
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_Enter);
    QCOMPARE(f.w->searches, 3);
    QVERIFY(f.t.windowing.boxes.empty());

    f.w->SetPhase("Connexion");
    (*f.w)["tmrMvt"].SetEnabled(true);
    QTRY_COMPARE_WITH_TIMEOUT(f.Get<QLabel>("lblPhase")->text(), QString("Connexion.."), 3000);
    (*f.w)["tmrMvt"].SetEnabled(false);
    QVERIFY(!f.Get<QTimer>("tmrMvt")->isActive());

    QVERIFY(!f.w->HasTrayIcon());
    f.Get<QAction>("mnuShow")->trigger();  // minimised, never hidden
    QVERIFY(f.View().Window()->isVisible());
    QVERIFY(f.View().Window()->isMinimized());
  }

  void mnuShowHidesToTheTrayAndBack() {
    QtWindowFixture f;
    RecordingTray tray;
    f.t.platform.tray = &tray;
    f.Start();
    QCOMPARE(tray.added, 1);
    QCOMPARE(tray.tip, std::string("Quorvanta Update"));
    const std::string tip63 = std::string(62, 'a') + "é";  // 63 characters, 64 bytes
    f.w->TraySetTip(tip63 + "bcd");
    QCOMPARE(tray.tip, tip63);
    QWidget* window = f.View().Window();
    QAction* show = f.Get<QAction>("mnuShow");
    show->trigger();
    QVERIFY(!window->isVisible());
    QCOMPARE(show->text(), QString("Montrer"));
    show->trigger();
    QVERIFY(window->isVisible() && !window->isMinimized());
    QCOMPARE(show->text(), QString("Cacher"));
    // The icon's double-click shows a hidden window; its context request pops up mnuMain.
    show->trigger();
    tray.doubleClick();
    QVERIFY(window->isVisible());
    tray.contextMenu();
    QTRY_VERIFY(f.Get<QMenu>("mnuMain")->isVisible());
    f.Get<QMenu>("mnuMain")->hide();
    f.Get<QAction>("mnuStop")->trigger();
    QCOMPARE(tray.removed, 1);
    QVERIFY(f.w->Unloaded());
    f.w->UnloadMe();  // a second close does nothing
    QCOMPARE(tray.removed, 1);
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

  void theEventLoopEndsWithTheRun() {
    for (const bool success : {true, false}) {
      QtWindowFixture f;
      f.Start();
      f.w->inRun = [&] { f.w->SetOutcome(true, success); };
      QTimer::singleShot(0, [&] { f.w->LancerMaj(true); });
      QCOMPARE(quo::RunEventLoop(*f.w, true), success ? 0 : 1);
      QVERIFY(f.w->Unloaded());
    }
    // Interactive: the close box during an operation hides the window at once; the window
    // unloads, and the loop ends with 0, when the operation ends.
    QtWindowFixture f;
    f.Start();
    bool hiddenAtOnce = false, unloadedDuring = true;
    f.w->inRun = [&] {
      f.View().Window()->close();
      hiddenAtOnce = !f.View().Window()->isVisible();
      f.t.app->Pause(10);
      unloadedDuring = f.w->Unloaded();
    };
    QTimer::singleShot(0, [&] { f.w->LancerMaj(true); });
    QCOMPARE(quo::RunEventLoop(*f.w, false), 0);
    QVERIFY(hiddenAtOnce);
    QVERIFY(!unloadedDuring);
    QVERIFY(f.w->Unloaded());
  }

  void theDialogShowsTheStoredChoiceAndValiderSavesWhatIsTyped() {
    QtWindowFixture f;
    quo::test::WriteFile(f.t.settingsPath(),
                         "[Server]\r\nUser=marie\r\n[temps]\r\nfrequence=2\r\n");
    f.Start();
    QWidget* dialog = OpenDialog(f);
    auto* cbo = InDialog<QComboBox>(f, "cboFrequence");
    QCOMPARE(cbo->count(), 3);
    QCOMPARE(cbo->itemText(0), QString("Désactivée"));
    QCOMPARE(cbo->currentIndex(), 2);
    QTest::keyClicks(InDialog<QLineEdit>(f, "txtUser"), "Z");
    cbo->setCurrentIndex(1);
    QTest::mouseClick(InDialog<QPushButton>(f, "cmdOK"), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    const std::string ini = quo::test::ReadFile(f.t.settingsPath());
    QVERIFY(ini.find("User=marieZ\r\n") != std::string::npos);
    QVERIFY(ini.find("frequence=1\r\n") != std::string::npos);
  }

  void captionsAndTooltipsComeFromTheLanguageFile() {
    QtWindowFixture f;
    f.t.WriteLanguage(1033, {{"frmTestFTP", "frmTestFTP", "Quorvanta Updater"},
                             {"frmTestFTP", "cmdOptions", "Settings..."},
                             {"frmTestFTPToolTipText", "cmdOptions", "Server and schedule"},
                             {"frmTestFTP", "mnuStop", "Quit"},
                             {"frmParam", "frmParam", "Settings"},
                             {"frmParam", "Frame1", "Server"},
                             {"frmParamToolTipText", "txtMDP", "Stored as typed"}});
    // Forced launch with language 1033: start-up translates both windows.
    f.Start({"2.1.0", f.t.dir.path(), "1033", "1"});
    QCOMPARE(f.View().Window()->windowTitle(), QString("Quorvanta Updater"));
    QCOMPARE(f.Get<QPushButton>("cmdOptions")->text(), QString("Settings..."));
    QCOMPARE(f.Get<QPushButton>("cmdOptions")->toolTip(), QString("Server and schedule"));
    QCOMPARE(f.Get<QAction>("mnuStop")->text(), QString("Quit"));
    auto& dialog = static_cast<quo::QtForm&>(f.w->Param().View());
    QCOMPARE(dialog.Window()->windowTitle(), QString("Settings"));
    QCOMPARE(dialog.Get<QGroupBox>("Frame1")->title(), QString("Server"));
    QCOMPARE(dialog.Get<QLineEdit>("txtMDP")->toolTip(), QString("Stored as typed"));
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
