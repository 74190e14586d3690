#include "fakes/recording_surface.h"

#include <cstdio>

#include "model/run_error.h"

namespace ombrix::testing {

std::string ColourText(Rgb colour) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", colour.r, colour.g, colour.b);
  return buffer;
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
