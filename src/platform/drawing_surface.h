#pragma once
// A surface the map is drawn on: the drawing area, the legend window, the printer. All
// operations act at once in the order called; later drawing covers earlier drawing.
// Coordinates are in the surface's current scale; implementations round device positions to
// whole pixels, halves to even.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/colour.h"
#include "platform/picture.h"
#include "platform/surface_scale.h"

namespace ombrix {

enum class FillStyle : std::int16_t { Solid = 0, Transparent = 1 };

// How a painted picture combines with what is already there.
enum class RasterOp { Copy, Or, And };

// A polygon corner in whole device pixels.
struct PixelPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool operator==(const PixelPoint&) const = default;
};

class DrawingSurface {
 public:
  virtual ~DrawingSurface() = default;

  virtual void SetScaleMode(ScaleMode mode) = 0;
  // Scale (x1, y1)-(x2, y2).
  virtual void SetScale(double x1, double y1, double x2, double y2) = 0;
  virtual double ScaleWidth() const = 0;
  virtual double ScaleHeight() const = 0;
  // ScaleX / ScaleY: a length converted between two scale modes of this surface.
  virtual double ScaleX(double length, ScaleMode from, ScaleMode to) const = 0;
  virtual double ScaleY(double length, ScaleMode from, ScaleMode to) const = 0;

  // Cls: the whole surface in its background colour; CurrentX and CurrentY go to 0.
  virtual void Clear() = 0;
  // A straight line DrawWidth pixels wide.
  virtual void Line(double x1, double y1, double x2, double y2, Rgb colour) = 0;
  // The outline of the rectangle with these corners, both corners included.
  virtual void Box(double x1, double y1, double x2, double y2, Rgb colour) = 0;
  // The rectangle with these corners filled, both corners included.
  virtual void FilledBox(double x1, double y1, double x2, double y2, Rgb colour) = 0;

  virtual void SetDrawWidth(std::int16_t width) = 0;
  virtual void SetFontSize(double points) = 0;
  virtual void SetForeColor(Rgb colour) = 0;
  virtual void SetFillColor(Rgb colour) = 0;
  virtual void SetFillStyle(FillStyle style) = 0;

  virtual void SetCurrentX(double x) = 0;
  virtual void SetCurrentY(double y) = 0;
  virtual double CurrentX() const = 0;
  virtual double CurrentY() const = 0;
  // The text with its top-left corner at (CurrentX, CurrentY) in ForeColor, FontSize points;
  // then CurrentX returns to the left edge and CurrentY moves down one line.
  virtual void Print(std::string_view text) = 0;

  // A closed polygon through whole device-pixel corners, outlined in ForeColor with
  // DrawWidth and, with a solid FillStyle, filled in FillColor by the winding rule.
  virtual void Polygon(std::span<const PixelPoint> corners) = 0;

  // The source rectangle of the picture (picture pixels) stretched onto the destination
  // rectangle (this scale). A destination or source of no positive size draws nothing.
  virtual void PaintPicture(const Picture& picture, double dest_x, double dest_y, double dest_width,
                            double dest_height, double src_x, double src_y, double src_width,
                            double src_height, RasterOp op) = 0;

  // What was drawn becomes visible.
  virtual void Refresh() = 0;

  // Writes everything drawn so far as a Windows bitmap file at `path` (UTF-8), replacing any
  // file there. The file appears whole or not at all. Error 75 naming the path and the
  // system's reason when it cannot be written.
  virtual void SavePicture(const std::string& path) = 0;
};

// Print of a number: NumberText, the ordinary decimal form with a leading blank when not
// negative.
void PrintNumber(DrawingSurface& surface, double value);

}  // namespace ombrix
