#include "platform/qt/qt_printer.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPolygon>
#include <QPrinterInfo>
#include <algorithm>
#include <cmath>

#include "model/run_error.h"
#include "platform/qt/painter_ops.h"
#include "platform/qt/qt_surface.h"
#include "platform/qt/qt_text.h"

namespace ombrix::qt {
namespace {

std::string StateText(QPrinter::PrinterState state) {
  switch (state) {
    case QPrinter::Idle:
      return "待機中";
    case QPrinter::Active:
      return "印刷中";
    case QPrinter::Aborted:
      return "中止されました";
    case QPrinter::Error:
      return "エラー";
  }
  return "不明";
}

}  // namespace

std::unique_ptr<QtPrinter> QtPrinter::SystemDefault(const std::string& fallback_pdf,
                                                    bool landscape) {
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) {
    return PdfFile(fallback_pdf, landscape);
  }
  auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
  printer->setDocName(QStringLiteral("Ombrix"));
  return std::make_unique<QtPrinter>(Key{}, std::move(printer), ToStdString(info.printerName()),
                                     false);
}

std::unique_ptr<QtPrinter> QtPrinter::PdfFile(const std::string& path, bool landscape) {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(ToQString(path));
  printer->setResolution(kPdfResolution);
  printer->setFullPage(true);
  printer->setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                     landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0)));
  printer->setDocName(QStringLiteral("Ombrix"));
  return std::make_unique<QtPrinter>(Key{}, std::move(printer), path, true);
}

QtPrinter::QtPrinter(Key, std::unique_ptr<QPrinter> printer, std::string name, bool pdf)
    : printer_(std::move(printer)), name_(std::move(name)), pdf_(pdf) {
  const double dpi = printer_->resolution();
  const QRectF page = printer_->pageRect(QPrinter::DevicePixel);
  scale_ = SurfaceScale(page.width(), page.height(), dpi, dpi);
}

QtPrinter::~QtPrinter() {
  // A job nobody ended never goes out.
  KillDoc();
}

void QtPrinter::Fail(const std::string& what, const std::string& reason) const {
  const std::string device = pdf_ ? "PDF ファイル \"" + name_ + "\"" : "プリンタ \"" + name_ + "\"";
  throw RunError(err::kPrinterError, device + " " + what + ": " + reason);
}

QPainter& QtPrinter::Painter() {
  if (painter_.isActive()) {
    return painter_;
  }
  if (!painter_.begin(printer_.get())) {
    std::string reason = "プリンタの状態: " + StateText(printer_->printerState());
    if (pdf_) {
      // Qt keeps the system's reason to itself; opening the file again brings it out.
      QFile file(ToQString(name_));
      if (!file.open(QIODevice::WriteOnly)) {
        reason = ToStdString(file.errorString());
      } else {
        file.close();
        file.remove();
      }
    }
    Fail("に出力できません", reason);
  }
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, false);
  painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
  return painter_;
}

QPoint QtPrinter::DevicePoint(double x, double y) const {
  return QPoint(WholePixel(scale_.ToDeviceX(x)), WholePixel(scale_.ToDeviceY(y)));
}

void QtPrinter::SetScale(double x1, double y1, double x2, double y2) {
  scale_.SetScale(x1, y1, x2, y2);
}

double QtPrinter::ScaleX(double length, ScaleMode from, ScaleMode to) const {
  return scale_.ConvertX(length, from, to);
}

double QtPrinter::ScaleY(double length, ScaleMode from, ScaleMode to) const {
  return scale_.ConvertY(length, from, to);
}

void QtPrinter::Clear() {
  current_x_ = scale_.ScaleLeft();
  current_y_ = scale_.ScaleTop();
}

void QtPrinter::Line(double x1, double y1, double x2, double y2, Rgb colour) {
  const QPoint a = DevicePoint(x1, y1);
  const QPoint b = DevicePoint(x2, y2);
  DrawLine(Painter(), a, b, colour, draw_width_);
}

void QtPrinter::Box(double x1, double y1, double x2, double y2, Rgb colour) {
  const QPoint a = DevicePoint(x1, y1);
  const QPoint b = DevicePoint(x2, y2);
  DrawBoxOutline(Painter(), a, b, colour, draw_width_);
}

void QtPrinter::FilledBox(double x1, double y1, double x2, double y2, Rgb colour) {
  const QRect rect = Corners(DevicePoint(x1, y1), DevicePoint(x2, y2));
  Painter().fillRect(rect, ToQColor(colour));
}

void QtPrinter::Print(std::string_view text) {
  // The size in device pixels: the painter has no transform, so this is the one scaling.
  QFont font = SurfaceFont(font_size_);
  font.setPixelSize(std::max(1, WholePixel(font_size_ * printer_->resolution() / 72.0)));
  const QPoint origin = DevicePoint(current_x_, current_y_);
  QPainter& painter = Painter();
  painter.setFont(font);
  const QFontMetrics metrics = painter.fontMetrics();
  painter.setPen(ToQColor(fore_colour_));
  painter.drawText(QRect(origin, QSize(1 << 20, metrics.height())),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
                   ToQString(text));
  current_x_ = scale_.ScaleLeft();
  current_y_ += scale_.LengthFromDeviceY(metrics.lineSpacing());
}

void QtPrinter::Polygon(std::span<const PixelPoint> corners) {
  if (corners.empty()) {
    return;
  }
  DrawPolygon(Painter(), corners, fore_colour_, fill_colour_, fill_style_, draw_width_);
}

void QtPrinter::PaintPicture(const Picture& picture, double dest_x, double dest_y,
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
  // Paper takes no raster operations: the combining pictures (sprites) print as they are.
  (void)op;
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter.drawImage(QRect(origin, QSize(width, height)), *source,
                    QRectF(src_x, src_y, src_width, src_height));
}

void QtPrinter::SavePicture(const std::string& path) {
  throw RunError(err::kPrinterError,
                 "プリンタの出力は画像ファイル \"" + path + "\" に保存できません。");
}

void QtPrinter::EndDoc() {
  if (!painter_.isActive()) {
    return;  // nothing was printed: no job to end
  }
  const bool ended = painter_.end();
  if (!ended || printer_->printerState() == QPrinter::Error) {
    Fail("への出力を終了できません", "プリンタの状態: " + StateText(printer_->printerState()));
  }
  if (pdf_) {
    // The PDF engine drops write errors silently: a file that did not come out whole is found
    // here, where its trailer should be.
    QFile file(ToQString(name_));
    if (!file.open(QIODevice::ReadOnly)) {
      Fail("を書き込めませんでした", ToStdString(file.errorString()));
    }
    const qint64 size = file.size();
    if (size < 6 || !file.seek(size - 6) || !file.readAll().contains("%%EOF")) {
      Fail("を書き込めませんでした", "ファイルが途中で切れています");
    }
  }
  ++pages_printed_;
}

void QtPrinter::KillDoc() noexcept {
  if (!painter_.isActive()) {
    return;
  }
  printer_->abort();
  painter_.end();
  if (pdf_) {
    QFile::remove(ToQString(name_));
  }
}

}  // namespace ombrix::qt
