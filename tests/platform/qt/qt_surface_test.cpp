#include "platform/qt/qt_surface.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "fakes/fake_picture_loader.h"
#include "platform/qt/surface_view.h"

namespace ombrix::qt {
namespace {

constexpr Rgb kWhite = RGB(255, 255, 255);
constexpr Rgb kRed = RGB(255, 0, 0);
constexpr Rgb kBlue = RGB(0, 0, 255);

Rgb At(const QtSurface& s, int x, int y) {
  const QRgb p = s.image().pixel(x, y);
  return RGB(qRed(p), qGreen(p), qBlue(p));
}

// The pixels of one colour, as a picture of the image: '#' for the colour, '.' otherwise.
std::string Mask(const QtSurface& s, Rgb colour, int width, int height) {
  std::string out;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      out += At(s, x, y) == colour ? '#' : '.';
    out += '\n';
  }
  return out;
}

TEST(QtSurface, BoxOutlineIncludesBothCorners) {
  for (const bool reversed : {false, true}) {
    QtSurface s(7, 5);
    reversed ? s.Box(5, 3, 1, 1, kRed) : s.Box(1, 1, 5, 3, kRed);
    EXPECT_EQ(Mask(s, kRed, 7, 5),
              ".......\n"
              ".#####.\n"
              ".#...#.\n"
              ".#####.\n"
              ".......\n");
  }
  QtSurface filled(6, 4);
  filled.FilledBox(4, 2, 2, 1, kBlue);
  EXPECT_EQ(Mask(filled, kBlue, 6, 4),
            "......\n"
            "..###.\n"
            "..###.\n"
            "......\n");
}

TEST(QtSurface, PaintPictureCopiesOrsAndsStretchesTheSourceAndDrawsNothingOfNoSize) {
  const Picture solid = testing::SolidPicture(2, 2, 0x0CF00A);
  QtSurface ops(12, 4);
  ops.FilledBox(0, 0, 11, 3, RGB(0x30, 0x0F, 0xA0));
  ops.PaintPicture(solid, 0, 0, 4, 4, 0, 0, 2, 2, RasterOp::Copy);
  ops.PaintPicture(solid, 4, 0, 4, 4, 0, 0, 2, 2, RasterOp::Or);
  ops.PaintPicture(solid, 8, 0, 4, 4, 0, 0, 2, 2, RasterOp::And);
  EXPECT_EQ(At(ops, 1, 1), RGB(0x0C, 0xF0, 0x0A));
  EXPECT_EQ(At(ops, 5, 1), RGB(0x3C, 0xFF, 0xAA));
  EXPECT_EQ(At(ops, 9, 1), RGB(0x00, 0x00, 0x00));

  Picture picture = testing::SolidPicture(2, 1, 0xFF0000);
  picture.pixels[1] = 0xff0000ffu;  // right pixel blue
  QtSurface s(10, 3);
  s.PaintPicture(picture, 1, 0, 8, 2, 0, 0, 2, 1, RasterOp::Copy);
  EXPECT_EQ(Mask(s, kRed, 10, 3),
            ".####.....\n"
            ".####.....\n"
            "..........\n");
  EXPECT_EQ(At(s, 5, 1), kBlue);
  // Only the right half of the source.
  s.PaintPicture(picture, 1, 0, 8, 2, 1, 0, 1, 1, RasterOp::Copy);
  EXPECT_EQ(Mask(s, kBlue, 10, 3),
            ".########.\n"
            ".########.\n"
            "..........\n");
  // A picture, a source or a destination of no size draws nothing.
  const QImage before = s.image().copy();
  s.PaintPicture(picture, 3, 0, -2, 2, 0, 0, 2, 1, RasterOp::Copy);
  s.PaintPicture(picture, 3, 0, 2, 2, 0, 0, 0, 1, RasterOp::Copy);
  s.PaintPicture(Picture{}, 0, 0, 10, 3, 0, 0, 1, 1, RasterOp::Copy);
  EXPECT_EQ(s.image(), before);
}

TEST(QtSurface, PrintDrawsBelowAndRightOfItsCornerResizeKeepsTheDrawingClearWipesIt) {
  QtSurface s(120, 60);
  s.SetFontSize(11);
  s.SetForeColor(kRed);
  s.SetCurrentX(20);
  s.SetCurrentY(15);
  s.Print("-123.5");
  int min_x = 1000, min_y = 1000, max_y = -1, antialiased = 0;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 120; ++x) {
      const Rgb c = At(s, x, y);
      antialiased += c != kRed && c != kWhite;
      if (c == kRed) {
        min_x = std::min(min_x, x);
        min_y = std::min(min_y, y);
        max_y = std::max(max_y, y);
      }
    }
  }
  EXPECT_EQ(antialiased, 0);
  ASSERT_GE(max_y, 0) << "nothing printed";
  EXPECT_TRUE(min_x >= 20 && min_x <= 24) << min_x;
  EXPECT_GE(min_y, 15);
  EXPECT_LE(max_y, 15 + 18);  // 11 points at 96 dots per inch: about 15 pixels
  // Print moves to the start of the next line.
  EXPECT_EQ(s.CurrentX(), 0);
  EXPECT_TRUE(s.CurrentY() > 15 + 12 && s.CurrentY() < 15 + 24) << s.CurrentY();

  // Resizing keeps the drawing and widens the background; clearing leaves only the background.
  s.FilledBox(100, 40, 119, 59, kBlue);
  s.Resize(130, 70);
  EXPECT_EQ(At(s, 119, 59), kBlue);
  EXPECT_EQ(At(s, 129, 69), kWhite);
  s.SetCurrentX(3);
  s.Clear();
  EXPECT_EQ(At(s, 119, 59), kWhite);
  EXPECT_EQ(s.CurrentX(), 0);
}

TEST(SurfaceView, ManyRefreshesMakeFewRepaints) {
  QtSurface s(10, 10);
  SurfaceView view(s);
  for (int i = 0; i < 10000; ++i) {
    s.Line(0, 0, 9, 9, kRed);
    s.Refresh();
  }
  // The first refresh repaints at once; the rest wait for one pending repaint.
  EXPECT_EQ(view.scheduled_repaints(), 1);
  QElapsedTimer waited;
  waited.start();
  while (view.scheduled_repaints() < 2 && waited.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  EXPECT_EQ(view.scheduled_repaints(), 2);
}

}  // namespace
}  // namespace ombrix::qt
