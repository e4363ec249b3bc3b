// The settings dialog over its Qt view against a real settings file, and caption translation
// of both views from a language file.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "qt_test_support.h"
#include "ui/frm_param.h"

using quo::test::QtWindowFixture;

namespace {

QWidget* OpenDialog(QtWindowFixture& f) {
  QTest::mouseClick(f.Get<QPushButton>("cmdOptions"), Qt::LeftButton);
  return static_cast<quo::QtForm&>(f.w->Param().View()).Window();
}

template <class T>
T* InDialog(QtWindowFixture& f, const char* name) {
  return static_cast<quo::QtForm&>(f.w->Param().View()).Get<T>(name);
}

}  // namespace

class ParamDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void annulerAndTheCloseBoxWriteNothingValiderSaves() {
    QtWindowFixture f;
    const std::string settings = "[Server]\r\nUser=marie\r\n[temps]\r\nfrequence=2\r\n";
    quo::test::WriteFile(f.t.settingsPath(), settings);
    f.Start();
    OpenDialog(f);
    auto* cbo = InDialog<QComboBox>(f, "cboFrequence");
    QCOMPARE(cbo->count(), 3);
    QCOMPARE(cbo->itemText(0), QString("Désactivée"));
    QCOMPARE(cbo->currentIndex(), 2);
    QTest::keyClicks(InDialog<QLineEdit>(f, "txtUser"), "X");
    QTest::mouseClick(InDialog<QPushButton>(f, "cmdAnnuler"), Qt::LeftButton);
    QWidget* dialog = OpenDialog(f);
    QCOMPARE(InDialog<QLineEdit>(f, "txtUser")->text(), QString("marie"));
    QTest::keyClicks(InDialog<QLineEdit>(f, "txtUser"), "Y");
    dialog->close();
    QVERIFY(!dialog->isVisible());
    QCOMPARE(quo::test::ReadFile(f.t.settingsPath()), settings);

    dialog = OpenDialog(f);
    QTest::keyClicks(InDialog<QLineEdit>(f, "txtUser"), "Z");
    InDialog<QComboBox>(f, "cboFrequence")->setCurrentIndex(1);
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

QTEST_MAIN(ParamDialogTest)
#include "param_dialog_test.moc"
