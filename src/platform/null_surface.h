#pragma once
// A surface that draws nothing: for computing a map headless when only its numbers are wanted.

#include "model/run_error.h"
#include "platform/drawing_surface.h"

namespace ombrix {

class NullSurface : public DrawingSurface {
 public:
  void SetScaleMode(ScaleMode mode) override { scale_.SetMode(mode); }
  void SetScale(double x1, double y1, double x2, double y2) override {
    scale_.SetScale(x1, y1, x2, y2);
  }
  double ScaleWidth() const override { return scale_.ScaleWidth(); }
  double ScaleHeight() const override { return scale_.ScaleHeight(); }
  double ScaleX(double length, ScaleMode from, ScaleMode to) const override {
    return scale_.ConvertX(length, from, to);
  }
  double ScaleY(double length, ScaleMode from, ScaleMode to) const override {
    return scale_.ConvertY(length, from, to);
  }
  void Clear() override {}
  void Line(double, double, double, double, Rgb) override {}
  void Box(double, double, double, double, Rgb) override {}
  void FilledBox(double, double, double, double, Rgb) override {}
  void SetDrawWidth(std::int16_t) override {}
  void SetFontSize(double) override {}
  void SetForeColor(Rgb) override {}
  void SetFillColor(Rgb) override {}
  void SetFillStyle(FillStyle) override {}
  void SetCurrentX(double x) override { current_x_ = x; }
  void SetCurrentY(double y) override { current_y_ = y; }
  double CurrentX() const override { return current_x_; }
  double CurrentY() const override { return current_y_; }
  void Print(std::string_view) override {}
  void Polygon(std::span<const PixelPoint>) override {}
  void PaintPicture(const Picture&, double, double, double, double, double, double, double, double,
                    RasterOp) override {}
  void Refresh() override {}
  // Nothing was drawn, so there is no picture to write; saying so beats an empty file.
  void SavePicture(const std::string& path) override {
    throw RunError(err::kPathFileAccess, "画像ファイル \"" + path +
                                             "\" を書き込めません: この描画面は画像を持ちません。");
  }

 private:
  SurfaceScale scale_{625, 361, 96, 96};
  double current_x_ = 0;
  double current_y_ = 0;
};

}  // namespace ombrix
