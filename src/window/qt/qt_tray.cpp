#include "window/qt/qt_tray.h"

#include <QSystemTrayIcon>

#include "window/qt/program_icon.h"

namespace quo {

QtTray::QtTray() = default;
QtTray::~QtTray() = default;

bool QtTray::Available() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void QtTray::Add(const std::string& tip, std::function<void()> onDoubleClick,
                 std::function<void()> onContextMenu) {
  if (icon_ || !Available()) return;
  icon_ = std::make_unique<QSystemTrayIcon>(ProgramIcon());
  icon_->setToolTip(QString::fromStdString(tip));
  QObject::connect(icon_.get(), &QSystemTrayIcon::activated,
                   [dbl = std::move(onDoubleClick),
                    ctx = std::move(onContextMenu)](QSystemTrayIcon::ActivationReason why) {
                     if (why == QSystemTrayIcon::DoubleClick && dbl) dbl();
                     if (why == QSystemTrayIcon::Context && ctx) ctx();
                   });
  icon_->show();
}

void QtTray::SetTip(const std::string& tip) {
  if (icon_) icon_->setToolTip(QString::fromStdString(tip));
}

void QtTray::Remove() { icon_.reset(); }

}  // namespace quo
