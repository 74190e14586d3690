#pragma once
// The drawing surface as a persistent QImage painted with QPainter, without antialiasing.
// Device positions are rounded to whole pixels (halves to even) before Qt sees them, since
// QPainter would otherwise truncate them.

#include <QImage>
#include <QPainter>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "platform/drawing_surface.h"

namespace ombrix::qt {

class QtSurface : public DrawingSurface {
 public:
  static constexpr double kDefaultDpi = 96.0;

  QtSurface(int width, int height, double dpi = kDefaultDpi, Rgb background = RGB(255, 255, 255));

  // The picture so far (any painting in progress is finished first).
  const QImage& image() const;
  Rgb background() const { return background_; }
  // Changes the pixel size; what was drawn stays where the old and new image overlap.
  void Resize(int width, int height);
  // Called by Refresh; the window uses it to schedule a repaint.
  void SetRefreshHandler(std::function<void()> handler) { on_refresh_ = std::move(handler); }
  // Writes the encoded picture under a path given as bytes, whatever their encoding. Without
  // one, SavePicture goes through Qt, which takes the path as UTF-8.
  using FileSaver = std::function<void(const std::string&, std::span<const std::uint8_t>)>;
  void SetFileSaver(FileSaver saver) { save_file_ = std::move(saver); }

  void SetScaleMode(ScaleMode mode) override { scale_.SetMode(mode); }
  void SetScale(double x1, double y1, double x2, double y2) override;
  double ScaleWidth() const override { return scale_.ScaleWidth(); }
  double ScaleHeight() const override { return scale_.ScaleHeight(); }
  double ScaleX(double length, ScaleMode from, ScaleMode to) const override;
  double ScaleY(double length, ScaleMode from, ScaleMode to) const override;

  void Clear() override;
  void Line(double x1, double y1, double x2, double y2, Rgb colour) override;
  void Box(double x1, double y1, double x2, double y2, Rgb colour) override;
  void FilledBox(double x1, double y1, double x2, double y2, Rgb colour) override;

  void SetDrawWidth(std::int16_t width) override { draw_width_ = width; }
  void SetFontSize(double points) override { font_size_ = points; }
  void SetForeColor(Rgb colour) override { fore_colour_ = colour; }
  void SetFillColor(Rgb colour) override { fill_colour_ = colour; }
  void SetFillStyle(FillStyle style) override { fill_style_ = style; }

  void SetCurrentX(double x) override { current_x_ = x; }
  void SetCurrentY(double y) override { current_y_ = y; }
  double CurrentX() const override { return current_x_; }
  double CurrentY() const override { return current_y_; }
  void Print(std::string_view text) override;

  void Polygon(std::span<const PixelPoint> corners) override;
  void PaintPicture(const Picture& picture, double dest_x, double dest_y, double dest_width,
                    double dest_height, double src_x, double src_y, double src_width,
                    double src_height, RasterOp op) override;
  void Refresh() override;
  // The image as a BMP, through a temporary file beside the target that is renamed over it
  // only once completely written.
  void SavePicture(const std::string& path) override;

  std::int16_t draw_width() const { return draw_width_; }
  double font_size() const { return font_size_; }

 private:
  QPoint DevicePoint(double x, double y) const;
  // One painter stays open across drawing calls (opening one per call dominates the cost of
  // small shapes); it is closed before the image is read or resized.
  QPainter& Painter();
  void EndPainting() const;

  QImage image_;
  Rgb background_;
  SurfaceScale scale_;
  std::int16_t draw_width_ = 1;
  double font_size_ = 9;
  Rgb fore_colour_ = RGB(0, 0, 0);
  Rgb fill_colour_ = RGB(0, 0, 0);
  FillStyle fill_style_ = FillStyle::Transparent;
  double current_x_ = 0;
  double current_y_ = 0;
  std::function<void()> on_refresh_;
  FileSaver save_file_;
  mutable std::optional<QPainter> painter_;
  // The pen of the last line and what it was made for: the painter then sees the same pen
  // again and has nothing to change.
  QPen line_pen_;
  Rgb line_pen_colour_ = RGB(0, 0, 0);
  std::int16_t line_pen_width_ = 0;
};

// The font the surfaces print with; it carries the Japanese glyphs.
QFont SurfaceFont(double points);

}  // namespace ombrix::qt
