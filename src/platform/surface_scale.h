#pragma once
// The coordinate system of a drawing surface: pixels, points, twips, or a user scale that
// maps a chosen rectangle onto the surface's inner area. Pure arithmetic, shared by every
// surface implementation.

#include <cstdint>

namespace ombrix {

enum class ScaleMode : std::int16_t { User = 0, Twips = 1, Points = 2, Pixels = 3 };

class SurfaceScale {
 public:
  SurfaceScale() = default;
  SurfaceScale(double device_width, double device_height, double dpi_x, double dpi_y);

  // The inner size of the surface in device pixels changed; a user scale keeps its rectangle.
  void SetDeviceSize(double device_width, double device_height);

  // ScaleMode = m. Any mode but User puts the origin at the top-left corner.
  void SetMode(ScaleMode mode);
  // Scale (x1, y1)-(x2, y2): x1 at the left edge, x2 at the right, y1 at the top, y2 at the
  // bottom; the mode becomes User.
  void SetScale(double x1, double y1, double x2, double y2);
  // ScaleWidth / ScaleHeight = value: a user scale of that many units across or down.
  void SetScaleWidth(double width);
  void SetScaleHeight(double height);

  ScaleMode mode() const { return mode_; }
  double ScaleLeft() const { return left_; }
  double ScaleTop() const { return top_; }
  double ScaleWidth() const;
  double ScaleHeight() const;

  // Positions in this scale to device pixels (not rounded).
  double ToDeviceX(double x) const;
  double ToDeviceY(double y) const;
  // Lengths in this scale to device pixels.
  double LengthToDeviceX(double length) const;
  double LengthToDeviceY(double length) const;
  // Lengths from device pixels to this scale.
  double LengthFromDeviceX(double pixels) const;
  double LengthFromDeviceY(double pixels) const;

  // ScaleX / ScaleY: a horizontal or vertical length converted between two modes.
  double ConvertX(double length, ScaleMode from, ScaleMode to) const;
  double ConvertY(double length, ScaleMode from, ScaleMode to) const;

  double TwipsPerPixelX() const { return 1440.0 / dpi_x_; }
  double TwipsPerPixelY() const { return 1440.0 / dpi_y_; }

 private:
  double PixelsPerUnitX(ScaleMode mode) const;
  double PixelsPerUnitY(ScaleMode mode) const;

  double device_width_ = 0;
  double device_height_ = 0;
  double dpi_x_ = 96;
  double dpi_y_ = 96;
  ScaleMode mode_ = ScaleMode::Pixels;
  double left_ = 0;
  double top_ = 0;
  double user_width_ = 0;
  double user_height_ = 0;
};

}  // namespace ombrix
