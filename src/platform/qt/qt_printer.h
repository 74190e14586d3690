#pragma once
// The printer as a QPrinter: the system's default printer, or a PDF file where there is none
// or where a PDF is asked for. Printer pixels are device pixels at the printer's resolution;
// every scale mode maps onto them through one SurfaceScale and the painter has no transform of
// its own, so pen widths and font sizes are given in device pixels and nothing is scaled twice.
// The job begins with the first thing drawn and goes out at EndDoc.

#include <QPainter>
#include <QPrinter>
#include <memory>
#include <string>

#include "platform/printer.h"

namespace ombrix::qt {

class QtPrinter : public Printer {
 public:
  // Resolution of the PDF device: 600 dots per inch, 2.4 twips per printer pixel.
  static constexpr int kPdfResolution = 600;

  // The system's default printer, set up as the system has it; a PDF file at `fallback_pdf`
  // when the system has none.
  static std::unique_ptr<QtPrinter> SystemDefault(const std::string& fallback_pdf, bool landscape);
  // A PDF file at `path`: A4, the whole sheet printable, landscape for a map wider than high.
  static std::unique_ptr<QtPrinter> PdfFile(const std::string& path, bool landscape);

  // Made only through the two functions above (the key is theirs alone).
  struct Key {
   private:
    Key() = default;
    friend class QtPrinter;
  };
  QtPrinter(Key, std::unique_ptr<QPrinter> printer, std::string name, bool pdf);
  ~QtPrinter() override;
  QtPrinter(const QtPrinter&) = delete;
  QtPrinter& operator=(const QtPrinter&) = delete;

  // What the printer is: the printer's name, or the PDF file's path.
  const std::string& name() const { return name_; }
  bool is_pdf() const { return pdf_; }
  // Pages of the documents ended so far.
  int pages_printed() const { return pages_printed_; }

  void SetScaleMode(ScaleMode mode) override { scale_.SetMode(mode); }
  void SetScale(double x1, double y1, double x2, double y2) override;
  double ScaleWidth() const override { return scale_.ScaleWidth(); }
  double ScaleHeight() const override { return scale_.ScaleHeight(); }
  double ScaleX(double length, ScaleMode from, ScaleMode to) const override;
  double ScaleY(double length, ScaleMode from, ScaleMode to) const override;

  // Paper cannot be erased: only the print position goes back to the top-left corner.
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
  void Refresh() override {}
  // Paper is not a picture file: error 482.
  void SavePicture(const std::string& path) override;

  double TwipsPerPixelX() const override { return scale_.TwipsPerPixelX(); }
  double TwipsPerPixelY() const override { return scale_.TwipsPerPixelY(); }
  ScaleMode CurrentScaleMode() const override { return scale_.mode(); }
  void EndDoc() override;
  void KillDoc() noexcept override;

 private:
  // The painter of the job, begun at the first output. Error 482 with the system's reason
  // when the printer cannot be reached.
  QPainter& Painter();
  QPoint DevicePoint(double x, double y) const;
  [[noreturn]] void Fail(const std::string& what, const std::string& reason) const;

  std::unique_ptr<QPrinter> printer_;
  std::string name_;
  bool pdf_ = false;
  QPainter painter_;
  SurfaceScale scale_;
  std::int16_t draw_width_ = 1;
  double font_size_ = 9;
  Rgb fore_colour_ = RGB(0, 0, 0);
  Rgb fill_colour_ = RGB(0, 0, 0);
  FillStyle fill_style_ = FillStyle::Transparent;
  double current_x_ = 0;
  double current_y_ = 0;
  int pages_printed_ = 0;
};

}  // namespace ombrix::qt
