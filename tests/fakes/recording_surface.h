#pragma once
// A drawing surface that records every call, in order, as one line of text. Doubles are
// written in their shortest round-trip form, so recorded coordinates compare exactly.

#include <optional>
#include <string>
#include <vector>

#include "model/numeric.h"
#include "platform/printer.h"

namespace ombrix::testing {

// "#rrggbb"
std::string ColourText(Rgb colour);

class RecordingSurface : public Printer {
 public:
  std::vector<std::string> calls;

  void SetScaleMode(ScaleMode mode) override {
    scale_.SetMode(mode);
    calls.push_back("ScaleMode " + std::to_string(static_cast<int>(mode)));
  }
  void SetScale(double x1, double y1, double x2, double y2) override {
    scale_.SetScale(x1, y1, x2, y2);
    calls.push_back("Scale " + Corners(x1, y1, x2, y2));
  }
  double ScaleWidth() const override { return scale_.ScaleWidth(); }
  double ScaleHeight() const override { return scale_.ScaleHeight(); }
  double ScaleX(double length, ScaleMode from, ScaleMode to) const override {
    return scale_.ConvertX(length, from, to);
  }
  double ScaleY(double length, ScaleMode from, ScaleMode to) const override {
    return scale_.ConvertY(length, from, to);
  }

  void Clear() override {
    current_x_ = 0;
    current_y_ = 0;
    calls.push_back("Cls");
  }
  void Line(double x1, double y1, double x2, double y2, Rgb colour) override {
    calls.push_back("Line " + Corners(x1, y1, x2, y2) + " " + ColourText(colour));
  }
  void Box(double x1, double y1, double x2, double y2, Rgb colour) override {
    calls.push_back("Box " + Corners(x1, y1, x2, y2) + " " + ColourText(colour));
  }
  void FilledBox(double x1, double y1, double x2, double y2, Rgb colour) override {
    calls.push_back("FilledBox " + Corners(x1, y1, x2, y2) + " " + ColourText(colour));
  }
  void SetDrawWidth(std::int16_t width) override { Record("DrawWidth ", std::to_string(width)); }
  void SetFontSize(double points) override { Record("FontSize ", RealText(points)); }
  void SetForeColor(Rgb colour) override { Record("ForeColor ", ColourText(colour)); }
  void SetFillColor(Rgb colour) override { Record("FillColor ", ColourText(colour)); }
  void SetFillStyle(FillStyle style) override {
    Record("FillStyle ", std::to_string(static_cast<int>(style)));
  }
  void SetCurrentX(double x) override {
    current_x_ = x;
    Record("CurrentX ", RealText(x));
  }
  void SetCurrentY(double y) override {
    current_y_ = y;
    Record("CurrentY ", RealText(y));
  }
  double CurrentX() const override { return current_x_; }
  double CurrentY() const override { return current_y_; }
  void Print(std::string_view text) override { Record("Print \"", std::string(text) + "\""); }
  void Polygon(std::span<const PixelPoint> corners) override;
  void PaintPicture(const Picture& picture, double dest_x, double dest_y, double dest_width,
                    double dest_height, double src_x, double src_y, double src_width,
                    double src_height, RasterOp op) override;
  void Refresh() override { calls.push_back("Refresh"); }
  // Records "SavePicture <path>"; with save_failure set, fails as an unwritable file would
  // (error 75 with that reason) after recording the call.
  void SavePicture(const std::string& path) override;

  double TwipsPerPixelX() const override { return twips_per_pixel_; }
  double TwipsPerPixelY() const override { return twips_per_pixel_; }
  ScaleMode CurrentScaleMode() const override { return scale_.mode(); }
  void EndDoc() override;
  void KillDoc() noexcept override { calls.push_back("KillDoc"); }
  // With end_doc_failure set, EndDoc fails as an unreachable printer does (error 482 with
  // that reason) after recording the call.
  std::optional<std::string> end_doc_failure;

  void set_twips_per_pixel(double value) { twips_per_pixel_ = value; }

  std::optional<std::string> save_failure;

 private:
  static std::string Corners(double x1, double y1, double x2, double y2) {
    return RealText(x1) + " " + RealText(y1) + " " + RealText(x2) + " " + RealText(y2);
  }
  void Record(const char* call, const std::string& argument) { calls.push_back(call + argument); }

  SurfaceScale scale_{800, 600, 96, 96};
  double current_x_ = 0;
  double current_y_ = 0;
  double twips_per_pixel_ = 15;
};

}  // namespace ombrix::testing
