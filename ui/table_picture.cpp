#include "ui/table_picture.h"

#include <QPainter>
#include <QPixmap>

namespace qm {
namespace {

QPixmap DrawTable(bool enabled) {
  constexpr int kSize = 16;
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  const QColor frame = enabled ? QColor(0, 0, 0) : QColor(128, 128, 128);
  const QColor title = enabled ? QColor(0, 0, 160) : QColor(160, 160, 160);
  const QColor lines = enabled ? QColor(96, 96, 96) : QColor(176, 176, 176);
  p.fillRect(1, 2, 14, 12, Qt::white);
  p.fillRect(1, 2, 14, 3, title);
  p.setPen(lines);
  for (int y = 8; y < 14; y += 3) p.drawLine(2, y, 13, y);
  for (int x = 5; x < 14; x += 4) p.drawLine(x, 5, x, 13);
  p.setPen(frame);
  p.drawRect(1, 2, 13, 11);
  return pixmap;
}

}  // namespace

QIcon TablePictureIcon() {
  QIcon icon;
  icon.addPixmap(DrawTable(true), QIcon::Normal);
  icon.addPixmap(DrawTable(false), QIcon::Disabled);
  return icon;
}

}  // namespace qm
