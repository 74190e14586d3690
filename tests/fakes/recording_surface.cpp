#include "fakes/recording_surface.h"

#include <cstdio>

#include "model/numeric.h"
#include "model/run_error.h"

namespace ombrix::testing {
namespace {

std::string N(double value) {
  return RealText(value);
}

std::string Corners(double x1, double y1, double x2, double y2) {
  return N(x1) + " " + N(y1) + " " + N(x2) + " " + N(y2);
}

}  // namespace

std::string ColourText(Rgb colour) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", colour.r, colour.g, colour.b);
  return buffer;
}

void RecordingSurface::SetScaleMode(ScaleMode mode) {
  scale_.SetMode(mode);
  calls.push_back("ScaleMode " + std::to_string(static_cast<int>(mode)));
}

void RecordingSurface::SetScale(double x1, double y1, double x2, double y2) {
  scale_.SetScale(x1, y1, x2, y2);
  calls.push_back("Scale " + Corners(x1, y1, x2, y2));
}

void RecordingSurface::Clear() {
  current_x_ = 0;
  current_y_ = 0;
  calls.push_back("Cls");
}

void RecordingSurface::Line(double x1, double y1, double x2, double y2, Rgb colour) {
  calls.push_back("Line " + Corners(x1, y1, x2, y2) + " " + ColourText(colour));
}

void RecordingSurface::Box(double x1, double y1, double x2, double y2, Rgb colour) {
  calls.push_back("Box " + Corners(x1, y1, x2, y2) + " " + ColourText(colour));
}

void RecordingSurface::FilledBox(double x1, double y1, double x2, double y2, Rgb colour) {
  calls.push_back("FilledBox " + Corners(x1, y1, x2, y2) + " " + ColourText(colour));
}

void RecordingSurface::SetDrawWidth(std::int16_t width) {
  calls.push_back("DrawWidth " + std::to_string(width));
}

void RecordingSurface::SetFontSize(double points) {
  calls.push_back("FontSize " + N(points));
}

void RecordingSurface::SetForeColor(Rgb colour) {
  calls.push_back("ForeColor " + ColourText(colour));
}

void RecordingSurface::SetFillColor(Rgb colour) {
  calls.push_back("FillColor " + ColourText(colour));
}

void RecordingSurface::SetFillStyle(FillStyle style) {
  calls.push_back("FillStyle " + std::to_string(static_cast<int>(style)));
}

void RecordingSurface::SetCurrentX(double x) {
  current_x_ = x;
  calls.push_back("CurrentX " + N(x));
}

void RecordingSurface::SetCurrentY(double y) {
  current_y_ = y;
  calls.push_back("CurrentY " + N(y));
}

void RecordingSurface::Print(std::string_view text) {
  calls.push_back("Print \"" + std::string(text) + "\"");
}

void RecordingSurface::Polygon(std::span<const PixelPoint> corners) {
  std::string line = "Polygon";
  for (const PixelPoint& p : corners) {
    // Appended piece by piece: GCC 12 warns falsely on `" " + std::string`.
    line += ' ';
    line += std::to_string(p.x);
    line += ',';
    line += std::to_string(p.y);
  }
  calls.push_back(line);
}

void RecordingSurface::PaintPicture(const Picture& picture, double dest_x, double dest_y,
                                    double dest_width, double dest_height, double src_x,
                                    double src_y, double src_width, double src_height,
                                    RasterOp op) {
  static constexpr const char* kOps[] = {"copy", "or", "and"};
  calls.push_back("PaintPicture " + std::to_string(picture.width) + "x" +
                  std::to_string(picture.height) + " " +
                  Corners(dest_x, dest_y, dest_width, dest_height) + " " +
                  Corners(src_x, src_y, src_width, src_height) + " " + kOps[static_cast<int>(op)]);
}

void RecordingSurface::Refresh() {
  calls.push_back("Refresh");
}

void RecordingSurface::SavePicture(const std::string& path) {
  calls.push_back("SavePicture " + path);
  if (save_failure) {
    throw RunError(err::kPathFileAccess,
                   "画像ファイル \"" + path + "\" を書き込めません: " + *save_failure);
  }
}

void RecordingSurface::EndDoc() {
  calls.push_back("EndDoc");
  if (end_doc_failure) {
    throw RunError(err::kPrinterError, "プリンタに出力できません: " + *end_doc_failure);
  }
}

}  // namespace ombrix::testing
