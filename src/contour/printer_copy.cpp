#include "contour/printer_copy.h"

#include <algorithm>

#include "contour/contour_lines.h"
#include "model/modes.h"
#include "model/numeric.h"
#include "view/background_map.h"

namespace ombrix {

PageInPictureUnits PageSizeInPictureUnits(const Printer& printer, double picture_twips_per_pixel_x,
                                          double picture_twips_per_pixel_y) {
  const ScaleMode mode = printer.CurrentScaleMode();
  const std::int32_t width_twips =
      ToLong(printer.ScaleX(printer.ScaleWidth(), mode, ScaleMode::Twips));
  const std::int32_t height_twips =
      ToLong(printer.ScaleY(printer.ScaleHeight(), mode, ScaleMode::Twips));
  return PageInPictureUnits{ToLong(width_twips / picture_twips_per_pixel_x),
                            ToLong(height_twips / picture_twips_per_pixel_y)};
}

void PrinterCopy::SetUp(const MeshModel& m, MainWindowState& w, double picture_twips_per_pixel_x,
                        double picture_twips_per_pixel_y) const {
  if (!active()) {
    return;
  }
  Printer& p = *printer_;
  const PageInPictureUnits page =
      PageSizeInPictureUnits(p, picture_twips_per_pixel_x, picture_twips_per_pixel_y);
  p.SetFontSize(kPrintFontSize);
  double left = m.FrameLeft;
  double top = m.FrameTop;
  double right = static_cast<double>(std::int64_t{m.FrameLeft} + m.FrameWidth);
  double bottom = static_cast<double>(std::int64_t{m.FrameTop} + m.FrameHeight);
  switch (colour_mode_) {
    case kColorNothing:
      p.SetScaleMode(ScaleMode::Points);
      p.SetScale(0, 0, page.width, page.height);
      break;
    case kColorEasy:
      p.SetScaleMode(ScaleMode::Points);
      break;
    default:
      p.SetScaleMode(ScaleMode::Pixels);
      w.PrintFrameLeft = ToLong(p.TwipsPerPixelX() * m.FrameLeft);
      w.PrintFrameTop = ToLong(p.TwipsPerPixelY() * m.FrameTop);
      w.PrintFrameWidth = ToLong(p.TwipsPerPixelX() * m.FrameWidth);
      w.PrintFrameHeight = ToLong(p.TwipsPerPixelY() * m.FrameHeight);
      left = w.PrintFrameLeft;
      top = w.PrintFrameTop;
      right = static_cast<double>(std::int64_t{w.PrintFrameLeft} + w.PrintFrameWidth);
      bottom = static_cast<double>(std::int64_t{w.PrintFrameTop} + w.PrintFrameHeight);
      break;
  }
  p.Box(left, top, right, bottom, kFrameColour);
  if (m.MapLoaded == kMapLoaded) {
    // The map goes where the screen has it, taken to printer coordinates like everything else,
    // so that in the Normal mode it stays under the contours.
    const MapDestination dest = MapPaintDestination(m);
    p.PaintPicture(w.MapPicture, X(dest.x), Y(dest.y), X(dest.width), Y(dest.height), 0, 0,
                   w.MapPicture.width, w.MapPicture.height, RasterOp::Copy);
  }
}

double PrinterCopy::X(double x) const {
  if (colour_mode_ == kColorNormal) {
    return printer_->TwipsPerPixelX() * x;
  }
  return x;
}

double PrinterCopy::Y(double y) const {
  if (colour_mode_ == kColorNormal) {
    return printer_->TwipsPerPixelY() * y;
  }
  return y;
}

void PrinterCopy::OutlineSide(double x1, double y1, double x2, double y2) const {
  if (!active() || colour_mode_ == kColorNormal) {
    return;
  }
  printer_->Line(X(x1), Y(y1), X(x2), Y(y2), kPrintOutlineColour);
}

void PrinterCopy::ShadeBox(double x1, double y1, double x2, double y2, Rgb colour) const {
  if (!active()) {
    return;
  }
  printer_->FilledBox(X(x1), Y(y1), X(x2), Y(y2), colour);
}

void PrinterCopy::Polygon(std::span<const PixelPoint> corners, Rgb colour) const {
  if (!active()) {
    return;
  }
  PixelPoint printed[4];
  const std::size_t count = std::min<std::size_t>(corners.size(), 4);
  for (std::size_t c = 0; c < count; ++c) {
    printed[c] = PixelPoint{ToLong(X(corners[c].x)), ToLong(Y(corners[c].y))};
  }
  printer_->SetFillStyle(FillStyle::Solid);
  printer_->SetForeColor(colour);
  printer_->SetFillColor(colour);
  printer_->Polygon(std::span<const PixelPoint>(printed, count));
  printer_->SetFillStyle(FillStyle::Transparent);
}

void PrinterCopy::Segment(double x1, double y1, double x2, double y2, bool highlighted) const {
  if (!active()) {
    return;
  }
  const bool nothing = colour_mode_ == kColorNothing;
  Rgb colour = nothing ? kPrintSegmentColourNothing : kPrintSegmentColourFilled;
  if (highlighted) {
    colour = nothing ? kPrintHighlightColourNothing : kPrintHighlightColourFilled;
  }
  if (colour_mode_ == kColorNormal) {
    printer_->SetScaleMode(ScaleMode::Pixels);
  }
  printer_->Line(X(x1), Y(y1), X(x2), Y(y2), colour);
}

void PrinterCopy::LevelLabel(double x, double y, std::int32_t level) const {
  if (!active()) {
    return;
  }
  printer_->SetCurrentX(X(x));
  printer_->SetCurrentY(Y(y));
  printer_->SetForeColor(colour_mode_ == kColorNothing ? kPrintLabelColourNothing
                                                       : kPrintLabelColourFilled);
  PrintNumber(*printer_, level);
}

void PrinterCopy::CoordinateLabel(double x, double y, double value) const {
  if (!active()) {
    return;
  }
  printer_->SetCurrentX(X(x));
  printer_->SetCurrentY(Y(y));
  PrintNumber(*printer_, value);
}

void PrinterCopy::EndDoc() {
  if (!active() || ended_) {
    return;
  }
  ended_ = true;
  printer_->EndDoc();
}

void PrinterCopy::KillDoc() {
  if (!active() || ended_) {
    return;
  }
  ended_ = true;
  printer_->KillDoc();
}

void PrinterCopy::EndAfterError() noexcept {
  try {
    EndDoc();
  } catch (...) {
    // The failure being reported is the one that stopped the drawing.
  }
}

}  // namespace ombrix
