#include "platform/qt/painter_ops.h"

#include <QPolygon>
#include <algorithm>
#include <cmath>

namespace ombrix::qt {

QColor ToQColor(Rgb c) {
  return QColor(c.r, c.g, c.b);
}

int WholePixel(double device) {
  constexpr double kLimit = 1.0e8;
  if (std::isnan(device)) {
    return 0;
  }
  return static_cast<int>(std::nearbyint(std::clamp(device, -kLimit, kLimit)));
}

QRect Corners(QPoint a, QPoint b) {
  return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
               QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

QPen LinePen(Rgb colour, std::int16_t width) {
  const int w = std::max<int>(1, width);
  return QPen(ToQColor(colour), w, Qt::SolidLine, w > 1 ? Qt::RoundCap : Qt::SquareCap,
              w > 1 ? Qt::RoundJoin : Qt::MiterJoin);
}

void DrawLine(QPainter& painter, QPoint a, QPoint b, Rgb colour, std::int16_t width) {
  DrawLine(painter, a, b, LinePen(colour, width));
}

void DrawLine(QPainter& painter, QPoint a, QPoint b, const QPen& pen) {
  painter.setPen(pen);
  if (a == b) {
    painter.drawPoint(a);
  } else {
    painter.drawLine(a, b);
  }
}

void DrawBoxOutline(QPainter& painter, QPoint a, QPoint b, Rgb colour, std::int16_t width) {
  const QRect rect = Corners(a, b);
  QPen pen = LinePen(colour, width);
  pen.setJoinStyle(Qt::MiterJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  // With a one-pixel pen Qt outlines x..x+w, so width and height are the corner differences.
  painter.drawRect(QRect(rect.topLeft(), QSize(rect.width() - 1, rect.height() - 1)));
}

void DrawPolygon(QPainter& painter, std::span<const PixelPoint> corners, Rgb fore, Rgb fill,
                 FillStyle style, std::int16_t width) {
  QPolygon polygon;
  polygon.reserve(static_cast<qsizetype>(corners.size()));
  for (const PixelPoint& p : corners) {
    polygon << QPoint(p.x, p.y);
  }
  painter.setPen(LinePen(fore, width));
  if (style == FillStyle::Solid) {
    painter.setBrush(ToQColor(fill));
  } else {
    painter.setBrush(Qt::NoBrush);
  }
  painter.drawPolygon(polygon, Qt::WindingFill);
}

std::optional<QImage> PictureImage(const Picture& picture) {
  if (picture.empty() || picture.pixels.size() < static_cast<std::size_t>(picture.width) *
                                                     static_cast<std::size_t>(picture.height)) {
    return std::nullopt;
  }
  return QImage(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width,
                picture.height, picture.width * 4, QImage::Format_RGB32);
}

}  // namespace ombrix::qt
