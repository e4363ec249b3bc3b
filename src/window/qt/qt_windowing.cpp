#include "window/qt/qt_windowing.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QString>

namespace quo {

void QtWindowing::PumpMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

MsgResult QtWindowing::ShowBox(const std::string& text, const std::string& title,
                               MsgButtons buttons) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title),
                  QString::fromStdString(text));
  box.setStandardButtons(buttons == MsgButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                         : QMessageBox::Ok);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(buttons == MsgButtons::OkCancel ? QMessageBox::Cancel : QMessageBox::Ok);
  return box.exec() == QMessageBox::Ok ? MsgResult::Ok : MsgResult::Cancel;
}

std::optional<std::string> QtWindowing::ShowOpenFile(const std::string& title,
                                                     const std::string& filterName,
                                                     const std::string& filterPattern) {
  const QString filter =
      QString::fromStdString(filterName) + " (" + QString::fromStdString(filterPattern) + ")";
  const QString chosen =
      QFileDialog::getOpenFileName(nullptr, QString::fromStdString(title), QString(), filter);
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.toStdString();
}

bool UnattendedRun() { return qEnvironmentVariable("QUOUPDATE_UNATTENDED") == "1"; }

}  // namespace quo
