#pragma once
// The printed copy of the map: every element drawn a second time on the printer, right after
// it is drawn on the screen, in the printer's own coordinates and colours. The coordinates
// depend on the colour mode: the Nothing mode prints drawing-area pixels as units of a page
// scaled to the background picture box's size, the Easy mode prints them as points, and the
// Normal mode multiplies them by the printer's twips per pixel and prints them as printer
// pixels.

#include <cstdint>
#include <span>

#include "model/main_window_state.h"
#include "model/mesh_model.h"
#include "platform/printer.h"

namespace ombrix {

inline constexpr Rgb kPrintOutlineColour = RGB(255, 255, 0);
inline constexpr Rgb kPrintSegmentColourNothing = RGB(0, 0, 255);
inline constexpr Rgb kPrintHighlightColourNothing = RGB(255, 0, 0);
inline constexpr Rgb kPrintLabelColourNothing = RGB(0, 150, 0);
inline constexpr Rgb kPrintSegmentColourFilled = RGB(255, 255, 255);
inline constexpr Rgb kPrintHighlightColourFilled = RGB(255, 255, 0);
inline constexpr Rgb kPrintLabelColourFilled = RGB(255, 0, 255);
inline constexpr double kPrintFontSize = 16;

// The printer page's scale width and height in units of the background picture box, a box
// scaled in screen pixels: converted to twips by the printer and rounded, then to the box's
// pixels and rounded again. Error 6 beyond the 32-bit range.
struct PageInPictureUnits {
  std::int32_t width = 0;   // pw
  std::int32_t height = 0;  // ph
};
PageInPictureUnits PageSizeInPictureUnits(const Printer& printer, double picture_twips_per_pixel_x,
                                          double picture_twips_per_pixel_y);

class PrinterCopy {
 public:
  // No copy: every call below does nothing.
  PrinterCopy() = default;
  PrinterCopy(Printer& printer, std::int32_t colour_mode)
      : printer_(&printer), colour_mode_(colour_mode) {}

  bool active() const { return printer_ != nullptr; }

  // The page: its size in picture units, the font size, the scale of the colour mode (and in
  // the Normal mode the frame scaled to printer pixels, kept in the window's PrintFrame*), the
  // frame outline and, when one is loaded, the background map.
  void SetUp(const MeshModel& model, MainWindowState& window, double picture_twips_per_pixel_x,
             double picture_twips_per_pixel_y) const;

  // A drawing-area pixel position in the printer's coordinates.
  double X(double x) const;
  double Y(double y) const;

  // One side of the mesh outline; the Normal mode prints none.
  void OutlineSide(double x1, double y1, double x2, double y2) const;
  // A quick-shading quarter cell, with the screen's coordinates and colour.
  void ShadeBox(double x1, double y1, double x2, double y2, Rgb colour) const;
  // A band polygon, outline and interior in the band colour; its corners are taken to printer
  // pixels and rounded, halves to even.
  void Polygon(std::span<const PixelPoint> corners, Rgb colour) const;
  // A contour segment in the printer's segment colour.
  void Segment(double x1, double y1, double x2, double y2, bool highlighted) const;
  // A level label at its screen position, in the printer's label colour.
  void LevelLabel(double x, double y, std::int32_t level) const;
  // A coordinate label at its screen position, in whatever colour the printer last had.
  void CoordinateLabel(double x, double y, double value) const;

  // Ends the document: the job goes out. At most once per drawing.
  void EndDoc();
  // A cancelled drawing: the job is withdrawn.
  void KillDoc();
  // A drawing that failed: the document is ended before the error is reported, unless it
  // already was; a printer that fails again here changes nothing of the report.
  void EndAfterError() noexcept;

 private:
  Printer* printer_ = nullptr;
  std::int32_t colour_mode_ = 0;
  bool ended_ = false;
};

}  // namespace ombrix
