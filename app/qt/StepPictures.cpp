#include "app/qt/StepPictures.h"

#include <QColor>
#include <QPainter>
#include <QPen>
#include <QPointF>
#include <cmath>

namespace vellumo {

namespace {

QPen StrokePen(const QColor& colour) {
  QPen pen(colour, 2.6);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

void DrawCross(QPainter& painter) {
  painter.setPen(StrokePen(QColor(0xcc, 0x2b, 0x22)));
  painter.drawLine(QPointF(4.0, 4.0), QPointF(12.0, 12.0));
  painter.drawLine(QPointF(12.0, 4.0), QPointF(4.0, 12.0));
}

void DrawCheck(QPainter& painter) {
  painter.setPen(StrokePen(QColor(0x2a, 0x93, 0x3a)));
  const QPointF points[] = {{3.5, 8.5}, {6.5, 11.5}, {12.5, 4.0}};
  painter.drawPolyline(points, 3);
}

}  // namespace

QPixmap StepPictures::Render(StepPicture picture, qreal devicePixelRatio) {
  const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
  const int side = static_cast<int>(std::ceil(kSize * ratio));
  QPixmap pixmap(side, side);
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);

  // The painter works in logical pixels; the pixmap's ratio scales it.
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing, true);
  if (picture == StepPicture::Cross) {
    DrawCross(painter);
  } else {
    DrawCheck(painter);
  }
  return pixmap;
}

}  // namespace vellumo
