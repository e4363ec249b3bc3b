#include <QTimer>
#include <QWidget>

#include "window/qt/program_icon.h"
#include "window/qt/qt_form.h"
#include "ui_frm_param.h"
#include "ui_frm_test_ftp.h"

namespace quo {

namespace {

QWidget* NewWindow(Qt::WindowFlags buttons) {
  auto* w = new QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                     Qt::WindowCloseButtonHint | buttons);
  w->setWindowIcon(ProgramIcon());
  return w;
}

}  // namespace

std::unique_ptr<Form> QtFormFactory::Create(const std::string& name) {
  if (name == "frmParam") {
    QWidget* w = NewWindow({});
    Ui::frmParam().setupUi(w);
    return std::make_unique<QtForm>(w, SettingsDialogDesign());
  }
  QWidget* w = NewWindow(Qt::WindowMinimizeButtonHint);
  Ui::frmTestFTP().setupUi(w);
  // A timer is no widget, so it is not in the Designer form: disabled at design, as the others.
  auto* timer = new QTimer(w);
  timer->setObjectName("tmrMvt");
  timer->setInterval(FindDesign(MainWindowDesign(), "tmrMvt")->intervalMs);
  return std::make_unique<QtForm>(w, MainWindowDesign());
}

}  // namespace quo
