#include "window/qt/program_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace quo {

QIcon ProgramIcon() {
  // A blue disc with a white downward arrow, drawn rather than shipped as a file.
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x1f, 0x5f, 0xbf));
  p.drawEllipse(1, 1, 30, 30);
  QPainterPath arrow;
  arrow.moveTo(13, 7);
  arrow.lineTo(19, 7);
  arrow.lineTo(19, 16);
  arrow.lineTo(24, 16);
  arrow.lineTo(16, 25);
  arrow.lineTo(8, 16);
  arrow.lineTo(13, 16);
  arrow.closeSubpath();
  p.setBrush(Qt::white);
  p.drawPath(arrow);
  p.end();
  return QIcon(pixmap);
}

}  // namespace quo
