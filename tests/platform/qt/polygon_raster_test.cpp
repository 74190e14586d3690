#include "platform/qt/polygon_raster.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPolygon>
#include <cmath>
#include <optional>
#include <random>
#include <vector>

#include "platform/qt/qt_surface.h"

namespace ombrix::qt {
namespace {

constexpr QRgb kPaper = 0xffffffffu;
constexpr QRgb kInk = 0xff2050a0u;

QImage Blank(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(kPaper);
  return image;
}

// A polygon drawn by QPainter with the pen and brush QtSurface documents.
void PaintWithQPainter(QPainter& painter, std::span<const PixelPoint> corners, QColor fore,
                       const QBrush& brush, int width = 1) {
  QPolygon polygon;
  for (const PixelPoint& p : corners)
    polygon << QPoint(p.x, p.y);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(fore, width, Qt::SolidLine, width > 1 ? Qt::RoundCap : Qt::SquareCap,
                      width > 1 ? Qt::RoundJoin : Qt::MiterJoin));
  painter.setBrush(brush);
  painter.drawPolygon(polygon, Qt::WindingFill);
}

// Compares both ways of drawing on a blank image; names the corners where they differ.
::testing::AssertionResult MatchesQPainter(int width, int height,
                                           std::span<const PixelPoint> corners) {
  QImage expected = Blank(width, height);
  {
    QPainter painter(&expected);
    PaintWithQPainter(painter, corners, QColor(kInk), QColor(kInk));
  }
  QImage actual = Blank(width, height);
  PaintSolidPolygon(corners, actual, kInk);
  if (expected == actual)
    return ::testing::AssertionSuccess();
  ::testing::AssertionResult failure = ::testing::AssertionFailure();
  for (const PixelPoint& p : corners)
    failure << '(' << p.x << ',' << p.y << ')';
  return failure;
}

TEST(PolygonRaster, FitsOnlySmallPolygonsOnTheImage) {
  const PixelPoint triangle[] = {{0, 0}, {9, 0}, {9, 7}};
  EXPECT_TRUE(SolidPolygonFits(triangle, 10, 8));
  EXPECT_FALSE(SolidPolygonFits(triangle, 9, 8));
  EXPECT_FALSE(SolidPolygonFits(triangle, 10, 7));
  using Corners = std::vector<PixelPoint>;
  EXPECT_FALSE(SolidPolygonFits(Corners{{1, 0}, {5, -1}, {5, 5}, {1, 5}}, 10, 8));  // above
  EXPECT_FALSE(SolidPolygonFits(Corners{{1, 1}, {5, 5}}, 10, 8));
  EXPECT_FALSE(SolidPolygonFits(Corners{{1, 1}, {5, 1}, {6, 3}, {5, 5}, {1, 5}}, 10, 8));
}

// Every triangle and quadrilateral with corners in a box filling the image: points, lines out
// and back, bow ties, concave and collinear shapes among them, corners on all four borders.
void ExpectEveryPolygonInBoxMatches(int box, int corners) {
  const int total = static_cast<int>(std::pow(box * box, corners));
  std::vector<PixelPoint> polygon(static_cast<std::size_t>(corners));
  for (int code = 0; code < total && !::testing::Test::HasFailure(); ++code) {
    int rest = code;
    for (PixelPoint& p : polygon) {
      p = {rest % box, (rest / box) % box};
      rest /= box * box;
    }
    EXPECT_TRUE(MatchesQPainter(box, box, polygon));
  }
}

// Random corners in a box of the given size placed anywhere on (and touching the borders of)
// an image; corners often repeat or line up, as they do where contour bands are thin.
class RandomPolygons {
 public:
  explicit RandomPolygons(std::uint32_t seed) : rng_(seed) {}

  std::vector<PixelPoint> Next(int width, int height, int box) {
    const int count = Pick(0, 1) == 0 ? 3 : 4;
    const int bw = std::min(box, width);
    const int bh = std::min(box, height);
    const int left = Pick(0, width - bw);
    const int top = Pick(0, height - bh);
    std::vector<PixelPoint> corners;
    for (int i = 0; i < count; ++i) {
      PixelPoint p{left + Pick(0, bw - 1), top + Pick(0, bh - 1)};
      switch (Pick(0, 9)) {
        case 0:  // repeat an earlier corner
          if (i > 0)
            p = corners[static_cast<std::size_t>(Pick(0, i - 1))];
          break;
        case 1:  // on the line through the two corners before
          if (i > 1) {
            const PixelPoint a = corners[static_cast<std::size_t>(i - 2)];
            const PixelPoint b = corners[static_cast<std::size_t>(i - 1)];
            const int k = Pick(-2, 2);
            p = {b.x + k * (b.x - a.x), b.y + k * (b.y - a.y)};
          }
          break;
        case 2:  // same row or column as the corner before
          if (i > 0)
            (Pick(0, 1) == 0 ? p.x : p.y) = Pick(0, 1) == 0 ? corners.back().x : corners.back().y;
          break;
        case 3:  // on a border
          if (Pick(0, 1) == 0) {
            p.x = Pick(0, 1) == 0 ? 0 : width - 1;
          } else {
            p.y = Pick(0, 1) == 0 ? 0 : height - 1;
          }
          break;
        default:
          break;
      }
      corners.push_back({std::clamp(p.x, 0, width - 1), std::clamp(p.y, 0, height - 1)});
    }
    return corners;
  }

  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

 private:
  std::mt19937 rng_;
};

TEST(PolygonRaster, EveryPolygonInASmallBoxAndRandomLargerOnesMatchQPainter) {
  ExpectEveryPolygonInBoxMatches(7, 3);
  ExpectEveryPolygonInBoxMatches(5, 4);
  RandomPolygons random(20240611);
  for (int i = 0; i < 200000 && !HasFailure(); ++i) {
    const int box = i % 3 == 0   ? random.Pick(1, 4)
                    : i % 3 == 1 ? random.Pick(2, 12)
                                 : random.Pick(2, 60);
    const int width = random.Pick(1, 40) + (box > 12 ? 30 : 0);
    const int height = random.Pick(1, 40) + (box > 12 ? 30 : 0);
    EXPECT_TRUE(MatchesQPainter(width, height, random.Next(width, height, box)));
  }
}

// Polygons set straight into the pixels mixed with ones left to the painter (two colours, wide
// or hollow outlines, other corner counts, corners off the image), overlapping so order shows;
// pixels set straight into the image never reach a copy taken at an earlier check.
TEST(PolygonRaster, SurfacePolygonsMatchQPainterInDrawingOrder) {
  constexpr int kWidth = 40;
  constexpr int kHeight = 30;
  const Rgb palette[] = {RGB(200, 30, 30), RGB(30, 160, 60), RGB(20, 40, 220), RGB(0, 0, 0)};
  RandomPolygons random(77);
  QtSurface surface(kWidth, kHeight);
  QImage expected = Blank(kWidth, kHeight);
  std::optional<QPainter> painter;
  painter.emplace(&expected);
  QImage earlier, earlier_expected;
  for (int i = 0; i < 20000; ++i) {
    std::vector<PixelPoint> corners = random.Next(kWidth, kHeight, random.Pick(1, 14));
    if (random.Pick(0, 9) == 0) {
      corners.push_back({random.Pick(-6, kWidth + 5), random.Pick(-6, kHeight + 5)});
    }
    if (random.Pick(0, 9) == 0) {
      corners[0] = {random.Pick(-6, kWidth + 5), random.Pick(-6, 3)};
    }
    const Rgb fore = palette[random.Pick(0, 3)];
    const Rgb fill = random.Pick(0, 3) == 0 ? palette[random.Pick(0, 3)] : fore;
    const std::int16_t width = random.Pick(0, 9) == 0 ? 3 : 1;
    const FillStyle style = random.Pick(0, 9) == 0 ? FillStyle::Transparent : FillStyle::Solid;
    surface.SetForeColor(fore);
    surface.SetFillColor(fill);
    surface.SetDrawWidth(width);
    surface.SetFillStyle(style);
    surface.Polygon(corners);

    PaintWithQPainter(
        *painter, corners, QColor(fore.r, fore.g, fore.b),
        style == FillStyle::Solid ? QBrush(QColor(fill.r, fill.g, fill.b)) : QBrush(Qt::NoBrush),
        width);

    if (i % 1000 == 999) {
      // Reading the image closes the surface's painter; the next polygons open a new one.
      painter.reset();
      ASSERT_TRUE(expected == surface.image()) << "after polygon " << i;
      ASSERT_TRUE(earlier == earlier_expected) << "the copy taken at polygon " << i - 1000;
      earlier = surface.image();
      earlier_expected = expected.copy();
      painter.emplace(&expected);
    }
  }
}

}  // namespace
}  // namespace ombrix::qt
