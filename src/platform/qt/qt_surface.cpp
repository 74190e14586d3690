#include "platform/qt/qt_surface.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetrics>
#include <QImageWriter>
#include <QPainter>
#include <QPolygon>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <vector>

#include "model/run_error.h"
#include "platform/qt/painter_ops.h"
#include "platform/qt/polygon_raster.h"
#include "platform/qt/qt_text.h"

namespace ombrix::qt {
namespace {

// Each drawing call starts from these settings. Only what differs is set: every setting
// made, even to the value it has, makes the raster engine recompute its state, and a divided
// map draws millions of segments.
void PreparePainter(QPainter& painter) {
  constexpr QPainter::RenderHints kOff =
      QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform;
  if ((painter.renderHints() & kOff) != 0) {
    painter.setRenderHints(kOff, false);
  }
  if (painter.compositionMode() != QPainter::CompositionMode_SourceOver) {
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  }
  if (painter.brush().style() != Qt::NoBrush) {
    painter.setBrush(Qt::NoBrush);
  }
}

}  // namespace

QFont SurfaceFont(double points) {
  QFont font(QStringLiteral("IPAGothic"));
  font.setPointSizeF(points > 0 ? points : 1);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

QtSurface::QtSurface(int width, int height, double dpi, Rgb background)
    : image_(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32),
      background_(background),
      scale_(std::max(width, 1), std::max(height, 1), dpi, dpi) {
  const int dots_per_metre = static_cast<int>(std::lround(dpi / 0.0254));
  image_.setDotsPerMeterX(dots_per_metre);
  image_.setDotsPerMeterY(dots_per_metre);
  image_.fill(ToQColor(background_));
}

const QImage& QtSurface::image() const {
  EndPainting();
  return image_;
}

QPainter& QtSurface::Painter() {
  if (!painter_) {
    painter_.emplace(&image_);
  }
  PreparePainter(*painter_);
  return *painter_;
}

void QtSurface::EndPainting() const {
  if (painter_) {
    painter_->end();
    painter_.reset();
  }
}

void QtSurface::Resize(int width, int height) {
  EndPainting();
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (width == image_.width() && height == image_.height()) {
    return;
  }
  QImage resized(width, height, QImage::Format_RGB32);
  resized.setDotsPerMeterX(image_.dotsPerMeterX());
  resized.setDotsPerMeterY(image_.dotsPerMeterY());
  resized.fill(ToQColor(background_));
  {
    QPainter painter(&resized);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, image_);
  }
  image_ = std::move(resized);
  scale_.SetDeviceSize(width, height);
}

void QtSurface::SetScale(double x1, double y1, double x2, double y2) {
  scale_.SetScale(x1, y1, x2, y2);
}

double QtSurface::ScaleX(double length, ScaleMode from, ScaleMode to) const {
  return scale_.ConvertX(length, from, to);
}

double QtSurface::ScaleY(double length, ScaleMode from, ScaleMode to) const {
  return scale_.ConvertY(length, from, to);
}

QPoint QtSurface::DevicePoint(double x, double y) const {
  return QPoint(WholePixel(scale_.ToDeviceX(x)), WholePixel(scale_.ToDeviceY(y)));
}

void QtSurface::Clear() {
  EndPainting();
  image_.fill(ToQColor(background_));
  current_x_ = scale_.ScaleLeft();
  current_y_ = scale_.ScaleTop();
}

void QtSurface::Line(double x1, double y1, double x2, double y2, Rgb colour) {
  const QPoint a = DevicePoint(x1, y1);
  const QPoint b = DevicePoint(x2, y2);
  if (line_pen_width_ != draw_width_ || line_pen_colour_ != colour) {
    line_pen_ = LinePen(colour, draw_width_);
    line_pen_colour_ = colour;
    line_pen_width_ = draw_width_;
  }
  DrawLine(Painter(), a, b, line_pen_);
}

void QtSurface::Box(double x1, double y1, double x2, double y2, Rgb colour) {
  const QPoint a = DevicePoint(x1, y1);
  const QPoint b = DevicePoint(x2, y2);
  DrawBoxOutline(Painter(), a, b, colour, draw_width_);
}

void QtSurface::FilledBox(double x1, double y1, double x2, double y2, Rgb colour) {
  // Written straight into the pixels: a shaded map paints millions of these small boxes.
  const QRect rect = Corners(DevicePoint(x1, y1), DevicePoint(x2, y2)) & image_.rect();
  if (rect.isEmpty()) {
    return;
  }
  if (!image_.isDetached()) {
    EndPainting();  // the open painter must keep drawing into the same pixels
  }
  const QRgb pixel = qRgb(colour.r, colour.g, colour.b);
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
    std::fill(line + rect.left(), line + rect.right() + 1, pixel);
  }
}

void QtSurface::Print(std::string_view text) {
  const QFont font = SurfaceFont(font_size_);
  const QPoint origin = DevicePoint(current_x_, current_y_);
  const QFontMetrics metrics(font, &image_);
  {
    QPainter& painter = Painter();
    painter.setFont(font);
    painter.setPen(ToQColor(fore_colour_));
    painter.drawText(QRect(origin, QSize(1 << 20, metrics.height())),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
                     ToQString(text));
  }
  current_x_ = scale_.ScaleLeft();
  current_y_ += scale_.LengthFromDeviceY(metrics.lineSpacing());
}

void QtSurface::Polygon(std::span<const PixelPoint> corners) {
  if (corners.empty()) {
    return;
  }
  if (fill_style_ == FillStyle::Solid && fill_colour_ == fore_colour_ && draw_width_ <= 1 &&
      SolidPolygonFits(corners, image_.width(), image_.height())) {
    // The small polygons of a filled map, set straight into the pixels. An open painter's
    // raster engine writes into these same pixels at once and holds nothing back, and while it
    // is open the image is never shared, so the order of drawing is kept.
    PaintSolidPolygon(corners, image_, qRgb(fill_colour_.r, fill_colour_.g, fill_colour_.b));
    return;
  }
  DrawPolygon(Painter(), corners, fore_colour_, fill_colour_, fill_style_, draw_width_);
}

void QtSurface::PaintPicture(const Picture& picture, double dest_x, double dest_y,
                             double dest_width, double dest_height, double src_x, double src_y,
                             double src_width, double src_height, RasterOp op) {
  const QPoint origin = DevicePoint(dest_x, dest_y);
  const int width = WholePixel(scale_.LengthToDeviceX(dest_width));
  const int height = WholePixel(scale_.LengthToDeviceY(dest_height));
  const std::optional<QImage> source = PictureImage(picture);
  if (!source || width <= 0 || height <= 0 || !(src_width > 0) || !(src_height > 0)) {
    return;
  }
  QPainter& painter = Painter();
  switch (op) {
    case RasterOp::Copy:
      painter.setCompositionMode(QPainter::CompositionMode_Source);
      break;
    case RasterOp::Or:
      painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
      break;
    case RasterOp::And:
      painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
      break;
  }
  painter.drawImage(QRect(origin, QSize(width, height)), *source,
                    QRectF(src_x, src_y, src_width, src_height));
}

void QtSurface::Refresh() {
  if (on_refresh_) {
    on_refresh_();
  }
}

void QtSurface::SavePicture(const std::string& path) {
  const auto fail = [&path](const QString& reason) {
    throw RunError(err::kPathFileAccess,
                   "画像ファイル \"" + path + "\" を書き込めません: " + ToStdString(reason));
  };
  // Encoded first, so that a failure to write is told apart from a failure to encode and
  // carries the system's own reason (a full disk, a missing permission).
  QByteArray bitmap;
  {
    QBuffer buffer(&bitmap);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "BMP");
    if (!writer.write(image())) {
      fail(writer.errorString());
    }
  }
  if (save_file_) {
    save_file_(path, std::span(reinterpret_cast<const std::uint8_t*>(bitmap.constData()),
                               static_cast<std::size_t>(bitmap.size())));
    return;
  }
  QSaveFile file(ToQString(path));
  // Never fall back to writing the target in place: a failure must leave no partial file.
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly)) {
    fail(file.errorString());
  }
  // A short write reports no reason; writing the rest again makes the system give one.
  qint64 written = 0;
  while (written < bitmap.size()) {
    const qint64 step = file.write(bitmap.constData() + written, bitmap.size() - written);
    if (step <= 0) {
      break;
    }
    written += step;
  }
  if (written != bitmap.size() || !file.commit()) {
    const QString reason = file.errorString();
    file.cancelWriting();  // the temporary file goes with the QSaveFile
    fail(reason);
  }
}

}  // namespace ombrix::qt
