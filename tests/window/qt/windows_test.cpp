// The windows over their real Qt views (offscreen): clicks, keys, the dots timer, tray icon and
// menu, closing during an operation; the settings dialog on a real settings file; captions from a
// language file, the toolkit's own in the run's language; the busy animation (RLE8, 8-bit and
// 24-bit files made here) decoded by the build's animation module and drawn by the Qt player; the
// Designer forms against the form designs the Windows views follow too, and the Windows icon
// file against the Qt views' icon.
#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDebug>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <memory>

#include "startup/launch.h"
#include "support/recording_tray.h"
#include "support/test_platform.h"
#include "support/watched_window.h"
#include "window/qt/program_icon.h"
#include "window/qt/qt_avi_player.h"
#include "window/qt/qt_form.h"
#include "window/qt/qt_run.h"
#include "window/qt/qt_translation.h"
#include "window/qt/qt_windowing.h"
#include "window/settings_dialog.h"
#include "window/startup_window.h"
#include "writers/avi_writer.h"
#include "writers/program_picture.h"

using quo::writers::AviImage;
using quo::writers::AviKind;

namespace {

// A program folder with the main window over the real Qt views, its long operations scripted
// (WatchedWindow), the message boxes recorded; the operations' message pump runs the Qt events.
struct QtWindowFixture {
  QtWindowFixture() {
    t.windowing.onPump = [] { QCoreApplication::processEvents(); };
    t.WriteLanguage(1036, {{"_", "Cacher", "Cacher"},
                           {"_", "Montrer", "Montrer"},
                           {"_", "Miseàjourdésactivé", "Désactivée"}});
  }

  // Builds the window and runs the start-up sequence for the command line.
  quo::test::WatchedWindow& Start(const std::vector<std::string>& args = {}) {
    w = std::make_unique<quo::test::WatchedWindow>(run, forms);
    const quo::LaunchPlan plan = quo::PlanLaunch(*t.app, args);
    RunWindowStartup(*w, plan);
    return *w;
  }

  quo::QtForm& View() const { return static_cast<quo::QtForm&>(w->View()); }
  template <class T>
  T* Get(const std::string& name) const {
    return View().Get<T>(name);
  }

  quo::test::TestApp t;
  quo::QtFormFactory forms;
  quo::UpdateRun run{*t.app};
  std::unique_ptr<quo::test::WatchedWindow> w;
};

QWidget* OpenDialog(QtWindowFixture& f) {
  QTest::mouseClick(f.Get<QPushButton>("cmdOptions"), Qt::LeftButton);
  return static_cast<quo::QtForm&>(f.w->OptionsDialog().View()).Window();
}

template <class T>
T* InDialog(QtWindowFixture& f, const char* name) {
  return static_cast<quo::QtForm&>(f.w->OptionsDialog().View()).Get<T>(name);
}

constexpr std::uint32_t kMagenta = 0xFF00FF, kRed = 0xFF0000, kBlue = 0x0000FF;

bool VideoLibrariesLoaded() {
  QFile maps("/proc/self/maps");
  return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libavcodec");
}

// A magenta frame with one coloured pixel row at the top (red) and one at the bottom (blue),
// and a square in the middle whose colour changes with the frame.
AviImage Frame(int w, int h, std::uint32_t square) {
  AviImage img(static_cast<std::size_t>(w) * h, kMagenta);
  for (int x = 0; x < w; ++x) img[x] = kRed, img[static_cast<std::size_t>(h - 1) * w + x] = kBlue;
  for (int y = h / 4; y < 3 * h / 4; ++y)
    for (int x = w / 4; x < 3 * w / 4; ++x) img[static_cast<std::size_t>(y) * w + x] = square;
  return img;
}

quo::AviDecodeFn Decoder() {
  static quo::AviDecodeFn fn = [] {
    QLibrary module(QString(QUO_PROGRAM_DIR) + quo::kAviModule);
    return reinterpret_cast<quo::AviDecodeFn>(module.resolve(quo::kAviDecodeSymbol));
  }();
  return fn;
}

}  // namespace

class WindowsTest : public QObject {
  Q_OBJECT

 private slots:
  // First: nothing has loaded the video libraries yet.
  void aMissingAnimationHidesTheBoxAnExistingOnePlaysCentred() {
    QtWindowFixture f;
    quo::test::MakeDirs(f.t.dir / "AVI");
    quo::writers::WriteAvi(f.t.dir / "AVI/PulseConnect.avi", AviKind::Rle8, 40, 20, 10,
                           {Frame(40, 20, 0x00FF00), Frame(40, 20, 0x00AA00)});
    f.Start();
    quo::QtAnimationService service(f.Get<QWidget>("AviPlayer"), QUO_PROGRAM_DIR);
    f.t.platform.animation = &service;
    QWidget* picAvi = f.Get<QWidget>("picAvi");
    picAvi->setVisible(true);
    const int sleepsBefore = f.t.system.sleeps;
    f.w->PlayAnimation("Connexion");  // no such file: hidden at once, without the decoder
    QVERIFY(picAvi->isHidden());
    QCOMPARE(f.t.system.sleeps, sleepsBefore);
    QVERIFY(!service.ModuleLoaded());
    QVERIFY(!VideoLibrariesLoaded());

    f.w->PlayAnimation("PulseConnect");
    QVERIFY(!picAvi->isHidden());
    QCOMPARE(f.t.system.sleeps, sleepsBefore + 50);  // Pause(500)
    quo::QtAviPlayer& player = service.QtPlayer();
    QVERIFY(player.Playing());
    QCOMPARE(player.FrameCount(), 2);
    QCOMPARE(player.IntervalMs(), 100);
    QTRY_COMPARE_WITH_TIMEOUT(player.CurrentFrame(), 1, 2000);
    QTRY_COMPARE_WITH_TIMEOUT(player.CurrentFrame(), 0, 2000);  // looped

    // Rendered: the 40 x 20 frame centred in the player, magenta showing the box.
    QWidget* area = f.Get<QWidget>("AviPlayer");
    const QImage shot = area->grab().toImage();
    const QPoint origin((area->width() - 40) / 2, (area->height() - 20) / 2);
    const QColor background = shot.pixelColor(2, 2);
    QVERIFY(background != QColor(255, 0, 255));
    QCOMPARE(shot.pixelColor(origin + QPoint(1, 5)), background);         // magenta pixel
    QCOMPARE(shot.pixelColor(origin + QPoint(3, 0)), QColor(255, 0, 0));  // top row
    QVERIFY(shot.pixelColor(origin + QPoint(20, 10)).green() >= 0xAA);
    QCOMPARE(shot.pixelColor(origin + QPoint(-1, 0)), background);  // left of the frame

    f.w->PlayAnimation("");  // stops and hides
    QVERIFY(!player.Playing());
    QVERIFY(picAvi->isHidden());
    QVERIFY(VideoLibrariesLoaded());
    f.t.platform.animation = nullptr;
  }

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

    SetPhase(f.run, *f.w, "Connexion");
    (*f.w)["tmrMvt"].SetEnabled(true);
    QTRY_COMPARE_WITH_TIMEOUT(f.Get<QLabel>("lblPhase")->text(), QString("Connexion.."), 3000);
    (*f.w)["tmrMvt"].SetEnabled(false);
    QVERIFY(!f.Get<QTimer>("tmrMvt")->isActive());

    QVERIFY(!f.w->HasTrayIcon());
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(1, 1), QCursor::pos());
    QCoreApplication::sendEvent(f.Get<QLabel>("lblPhase"), &rightClick);  // on to the window
    QTRY_VERIFY(f.Get<QMenu>("mnuMain")->isVisible());  // the icon's menu, from the window
    f.Get<QMenu>("mnuMain")->hide();
    f.Get<QAction>("mnuShow")->trigger();  // minimised, never hidden
    QVERIFY(f.View().Window()->isVisible());
    QVERIFY(f.View().Window()->isMinimized());
  }

  void mnuShowHidesToTheTrayAndBack() {
    QtWindowFixture f;
    quo::test::RecordingTray tray;
    f.t.platform.tray = &tray;
    f.Start();
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
    // The icon's double-click shows a hidden window; its context request pops up mnuMain, which
    // the window's own context menu then does not.
    show->trigger();
    tray.doubleClick();
    QVERIFY(window->isVisible());
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(1, 1), QCursor::pos());
    QCoreApplication::sendEvent(window, &rightClick);
    QVERIFY(!f.Get<QMenu>("mnuMain")->isVisible());
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
    using quo::RunOutcome;
    const std::pair<RunOutcome, int> statuses[] = {
        {RunOutcome::Installed, 0}, {RunOutcome::NothingToDo, 0}, {RunOutcome::Failed, 1},
        {RunOutcome::Refused, 2},   {RunOutcome::Cancelled, 3},   {RunOutcome::Running, 3}};
    for (const auto& [outcome, status] : statuses) {
      QtWindowFixture f;
      f.Start();
      f.w->inRun = [&] {  // a run not at its end is one whose window was closed
        f.run.End(outcome);
        if (outcome == RunOutcome::Running) f.w->UnloadMe();
      };
      QTimer::singleShot(0, [&] { f.w->RunUpdate(); });
      QCOMPARE(quo::RunEventLoop(*f.w, true), status);
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
    QTimer::singleShot(0, [&] { f.w->RunUpdate(); });
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
    auto& dialog = static_cast<quo::QtForm&>(f.w->OptionsDialog().View());
    QCOMPARE(dialog.Window()->windowTitle(), QString("Settings"));
    QCOMPARE(dialog.Get<QGroupBox>("Frame1")->title(), QString("Server"));
    QCOMPARE(dialog.Get<QLineEdit>("txtMDP")->toolTip(), QString("Stored as typed"));
    OpenDialog(f)->close();  // the close box: the dialog is built again, and translated again
    QCOMPARE(OpenDialog(f)->windowTitle(), QString("Settings"));
  }

  // The toolkit's standard buttons speak the program's language; English loads nothing.
  void standardButtonsInTheProgramsLanguage() {
    for (const auto& [language, cancel] : {std::pair(1036, "Annuler"), std::pair(1033, "Cancel")}) {
      const auto translation = quo::InstallQtTranslation(language);
      QMessageBox box(QMessageBox::NoIcon, "", "", QMessageBox::Ok | QMessageBox::Cancel);
      QCOMPARE(box.button(QMessageBox::Cancel)->text(), QString(cancel));
    }
  }

  // Every widget of the Designer forms sits where the design puts it (twips / 15, relative to its
  // container), in a window of the design's client size: the Windows views are laid out from the
  // same designs.
  void theFormsFollowTheirDesigns() {
    quo::QtFormFactory forms;
    const auto line = [](const QString& name, const QString& parent, const QRect& r) {
      QString text;
      QDebug(&text).nospace() << name << " in " << parent << ": " << r;
      return text;
    };
    for (const quo::FormDesign* design : {&quo::MainWindowDesign(), &quo::SettingsDialogDesign()}) {
      const std::unique_ptr<quo::Form> form = forms.Create(design->name);
      QWidget* window = static_cast<quo::QtForm&>(*form).Window();
      const int k = quo::kTwipsPerPixel;
      QStringList actual{line(window->objectName(), "", QRect(QPoint(), window->size()))};
      QStringList wanted{line(design->name.c_str(), "",
                              QRect(0, 0, design->clientWidth / k, design->clientHeight / k))};
      for (const quo::ControlDesign& c : design->controls) {
        auto* w = window->findChild<QWidget*>(c.name.c_str());
        if (w == nullptr || w->isWindow()) continue;  // a timer, an action, the popup menu
        actual << line(w->objectName(), w->parentWidget()->objectName(), w->geometry());
        wanted << line(c.name.c_str(), (c.container.empty() ? design->name : c.container).c_str(),
                       QRect(c.left / k, c.top / k, c.width / k, c.height / k));
      }
      QCOMPARE(actual, wanted);
    }
  }

  // The icon file the Windows program is built with, read back by Qt's icon reader: the three
  // sizes, the 32-pixel one the picture the Qt views draw (premultiplied colours, up to the two
  // antialiasings' difference along the edges).
  void theIconFileHoldsTheViewsPicture() {
    quo::test::TempDir dir;
    using quo::writers::ProgramPicture;
    quo::writers::WriteIco(dir / "program.ico",
                           {ProgramPicture(16), ProgramPicture(32), ProgramPicture(48)});
    const QIcon icon(QString::fromStdString(dir / "program.ico"));
    QCOMPARE(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}}));
    const QImage written =
        icon.pixmap(32).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage drawn = quo::ProgramIcon().pixmap(32).toImage().convertToFormat(
        QImage::Format_ARGB32_Premultiplied);
    int worst = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        for (int shift : {0, 8, 16, 24})
          worst = std::max(worst, std::abs(int((written.pixel(x, y) >> shift) & 0xFF) -
                                           int((drawn.pixel(x, y) >> shift) & 0xFF)));
    QVERIFY2(worst <= 64, QByteArray::number(worst));  // 39 at the disc's edge
  }

  void decodesEveryKindTopDownAtItsFrameRate() {
    QVERIFY(Decoder() != nullptr);
    quo::test::TempDir dir;
    for (const AviKind kind : {AviKind::Rle8, AviKind::Pal8, AviKind::Rgb24}) {
      const std::string path = dir / (std::to_string(static_cast<int>(kind)) + ".avi");
      quo::writers::WriteAvi(path, kind, 30, 10, 12,
                             {Frame(30, 10, 0x00FF00), Frame(30, 10, 0x123456), Frame(30, 10, 0)});
      quo::AviFrames out;
      QVERIFY2(Decoder()(path.c_str(), &out), (path + ": " + out.error).c_str());
      QCOMPARE(QSize(out.width, out.height), QSize(30, 10));
      QCOMPARE(out.frames.size(), std::size_t(3));
      QCOMPARE(out.frameRate, 12.0);
      const auto& second = out.frames[1];
      QCOMPARE(second[0], 0xFF000000u | kRed);               // top row
      QCOMPARE(second[9 * 30 + 5], 0xFF000000u | kBlue);     // bottom row
      QCOMPARE(second[5 * 30 + 15], 0xFF123456u);            // the square
      QCOMPARE(second[5 * 30 + 1], 0xFF000000u | kMagenta);  // background
      QCOMPARE(out.frames[2][5 * 30 + 15], 0xFF000000u);
    }
    quo::AviFrames out;
    quo::test::WriteFile(dir / "broken.avi", "RIFF....AVI not really");
    QVERIFY(!Decoder()((dir / "broken.avi").c_str(), &out));
    QVERIFY(out.frames.empty());
  }
};

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
