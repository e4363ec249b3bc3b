#include "ui/qt/qt_windowing.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QString>

namespace quo {

void QtWindowing::PumpMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

MsgResult QtWindowing::MessageBox(const std::string& text, const std::string& title,
                                  MsgButtons buttons) {
  const std::string shownTitle = title.empty() ? defaultTitle_ : title;
  if (unattended_) {
    std::string flat = text;
    for (std::size_t at; (at = flat.find('\r')) != std::string::npos;) flat.erase(at, 1);
    std::fprintf(log_, "%s: %s\n", shownTitle.c_str(), flat.c_str());
    std::fflush(log_);
    return MsgResult::Ok;
  }
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(shownTitle),
                  QString::fromStdString(text));
  box.setStandardButtons(buttons == MsgButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                         : QMessageBox::Ok);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(buttons == MsgButtons::OkCancel ? QMessageBox::Cancel : QMessageBox::Ok);
  return box.exec() == QMessageBox::Ok ? MsgResult::Ok : MsgResult::Cancel;
}

std::optional<std::string> QtWindowing::OpenFile(const std::string& title,
                                                 const std::string& filterName,
                                                 const std::string& filterPattern) {
  if (unattended_) return std::nullopt;
  const QString filter =
      QString::fromStdString(filterName) + " (" + QString::fromStdString(filterPattern) + ")";
  const QString chosen =
      QFileDialog::getOpenFileName(nullptr, QString::fromStdString(title), QString(), filter);
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.toStdString();
}

bool UnattendedRun() { return qEnvironmentVariable("QUOUPDATE_UNATTENDED") == "1"; }

}  // namespace quo
