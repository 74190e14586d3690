#include "platform/qt/polygon_raster.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <utility>

// The rules below follow the raster engine step by step, in its own fixed-point arithmetic,
// because its roundings decide which pixels along an edge are set: the fill samples pixel
// centres with 16.16 edge positions, the one-pixel pen walks each edge along its major axis with
// 16.16 steps and patches the pixel where two edges meet.

namespace ombrix::qt {
namespace {

constexpr int kOne = 65536;  // 1.0 in 16.16

// (dividend / divisor) in 16.16, truncated toward zero. Dividends are pixel distances below
// 2^14 on the images taken here, so the product stays within 32 bits.
int FixedDiv(int dividend, int divisor) {
  return dividend * kOne / divisor;
}

class PixelSink {
 public:
  PixelSink(std::uint32_t* pixels, int width, int height, std::ptrdiff_t stride,
            std::uint32_t colour)
      : pixels_(pixels), width_(width), height_(height), stride_(stride), colour_(colour) {}

  void Set(int x, int y) const {
    if (static_cast<unsigned>(x) < static_cast<unsigned>(width_) &&
        static_cast<unsigned>(y) < static_cast<unsigned>(height_)) {
      pixels_[y * stride_ + x] = colour_;
    }
  }
  // Pixels x0 .. x1 - 1 of row y, already known to lie on the image.
  void Span(int x0, int x1, int y) const {
    std::fill(pixels_ + y * stride_ + x0, pixels_ + y * stride_ + x1, colour_);
  }

 private:
  std::uint32_t* pixels_;
  int width_;
  int height_;
  std::ptrdiff_t stride_;
  std::uint32_t colour_;
};

// The winding fill: an edge from (ax, ay) down to (bx, by) crosses rows ay .. by - 1 at their
// centres; its position is kept in 16.16 with a truncated slope, and pixel x is inside when the
// winding number of the crossings at or left of x is not zero. A row has at most four
// crossings; they are found and ordered without branches, since with shapes this small every
// data-dependent branch is a coin toss.
struct FillEdge {
  int x = 0;      // 16.16, shifted right by half a pixel, on row `top`
  int slope = 0;  // 16.16 per row
  int top = 1;    // an unused edge has no rows
  int bottom = 0;
  int winding = 0;
};

struct Crossing {
  int x;
  int winding;
};

inline void Order(Crossing& a, Crossing& b) {
  const bool swap = b.x < a.x;
  const Crossing low = swap ? b : a;
  const Crossing high = swap ? a : b;
  a = low;
  b = high;
}

void Fill(std::span<const PixelPoint> corners, const PixelSink& sink) {
  std::array<FillEdge, 4> edges;
  int top = corners[0].y;
  int bottom = corners[0].y;
  const std::size_t n = corners.size();
  for (std::size_t i = 0; i < n; ++i) {
    PixelPoint a = corners[i];
    PixelPoint b = corners[(i + 1) % n];
    top = std::min(top, a.y);
    bottom = std::max(bottom, a.y);
    if (a.y == b.y) {
      continue;
    }
    int winding = 1;
    if (a.y > b.y) {
      std::swap(a, b);
      winding = -1;
    }
    FillEdge& e = edges[i];
    // The engine truncates the quotient of doubles; with whole-pixel corners that is the
    // truncated integer quotient. The first crossing is half a row below the top corner.
    e.slope = FixedDiv(b.x - a.x, b.y - a.y);
    e.x = a.x * kOne + kOne / 2 + (e.slope >> 1);
    e.top = a.y;
    e.bottom = b.y - 1;
    e.winding = winding;
  }
  constexpr int kBeyond = std::numeric_limits<int>::max();
  for (int y = top; y < bottom; ++y) {
    std::array<Crossing, 4> c;
    for (std::size_t i = 0; i < 4; ++i) {
      const FillEdge& e = edges[i];
      const bool active = y >= e.top && y <= e.bottom;
      c[i] = {active ? (e.x + (y - e.top) * e.slope) >> 16 : kBeyond, active ? e.winding : 0};
    }
    Order(c[0], c[1]);
    Order(c[2], c[3]);
    Order(c[0], c[2]);
    Order(c[1], c[3]);
    Order(c[1], c[2]);
    // The windings of the crossings in a row add up to zero, so nothing reaches kBeyond.
    const int w1 = c[0].winding;
    const int w2 = w1 + c[1].winding;
    const int w3 = w2 + c[2].winding;
    if (w1 != 0) {
      sink.Span(c[0].x, c[1].x, y);
    }
    if (w2 != 0) {
      sink.Span(c[1].x, c[2].x, y);
    }
    if (w3 != 0) {
      sink.Span(c[2].x, c[3].x, y);
    }
  }
}

// The one-pixel pen. Each edge is walked along its major axis from its first row (or column)
// up to, not including, its last; the pen remembers the last pixel and direction of the edge
// before, so that a pixel two edges share is set once, a corner the walk would skip is added,
// and an edge that doubles back on the one before is extended by half a pixel at its start.
enum Direction : int {
  kNoDirection = 0,
  kTopToBottom = 0x1,
  kBottomToTop = 0x2,
  kLeftToRight = 0x4,
  kRightToLeft = 0x8,
  kVerticalMask = 0x3,
  kHorizontalMask = 0xc,
};

struct Pixel {
  int x = -1;
  int y = -1;
  bool operator==(const Pixel&) const = default;
};

class Pen {
 public:
  explicit Pen(const PixelSink& sink) : sink_(sink) {}

  // The last pixel and direction of the closing edge, known before the first edge is drawn.
  void StartAfter(PixelPoint from, PixelPoint to);
  void Edge(PixelPoint from, PixelPoint to);

 private:
  // Walks one edge; `major` and `minor` pick the coordinates of the walking axis.
  template <bool kVertical>
  void Walk(PixelPoint from, PixelPoint to, bool draw);

  const PixelSink& sink_;
  Pixel last_;
  int last_dir_ = kNoDirection;
  bool last_axis_aligned_ = false;
};

template <bool kVertical>
void Pen::Walk(PixelPoint from, PixelPoint to, bool draw) {
  // In 26.6, as the engine holds them.
  int m1 = (kVertical ? from.y : from.x) * 64;
  int n1 = (kVertical ? from.x : from.y) * 64;
  int m2 = (kVertical ? to.y : to.x) * 64;
  int n2 = (kVertical ? to.x : to.y) * 64;
  int dir = kVertical ? kTopToBottom : kLeftToRight;
  const int mask = kVertical ? kVerticalMask : kHorizontalMask;
  bool swapped = false;
  if (m1 > m2) {
    swapped = true;
    std::swap(m1, m2);
    std::swap(n1, n2);
    dir = kVertical ? kBottomToTop : kRightToLeft;
  }
  const int inc = FixedDiv((n2 - n1) / 64, (m2 - m1) / 64);
  int n = n1 * 1024;
  if (draw && (last_dir_ ^ mask) == dir) {
    // Doubling back: half a pixel more at the end the walk starts from.
    if (swapped) {
      m2 += 32;
    } else {
      m1 -= 32;
      n -= inc >> 1;
    }
  }
  int m = (m1 + 32) >> 6;
  int ms = (m2 + 32) >> 6;
  const int round = inc > 0 ? 32 : 0;
  if (m == ms) {
    return;
  }
  n += (((m << 6) + round - m1) * inc) >> 6;
  Pixel first = kVertical ? Pixel{n >> 16, m} : Pixel{m, n >> 16};
  const int last_n = (n + (ms - m - 1) * inc) >> 16;
  Pixel last = kVertical ? Pixel{last_n, ms - 1} : Pixel{ms - 1, last_n};
  if (swapped) {
    std::swap(first, last);
  }
  const bool axis_aligned = std::abs(inc) < (1 << 14);
  if (!draw) {
    last_ = last;
    last_dir_ = dir;
    last_axis_aligned_ = axis_aligned;
    return;
  }
  if (last_.x >= 0) {
    if (first == last_) {
      // Set already by the edge before.
      if (swapped) {
        --ms;
      } else {
        ++m;
        n += inc;
      }
    } else if (last_dir_ != dir &&
               ((axis_aligned && last_axis_aligned_ && last_.x != first.x && last_.y != first.y) ||
                std::abs(last_.x - first.x) > 1 || std::abs(last_.y - first.y) > 1)) {
      // A gap at the corner: one pixel more at the start.
      if (swapped) {
        ++ms;
      } else {
        --m;
        n -= inc;
      }
    }
  }
  last_dir_ = dir;
  last_axis_aligned_ = axis_aligned;
  // At least one pixel, even when the shared pixel was the edge's only one.
  do {
    if constexpr (kVertical) {
      sink_.Set(n >> 16, m);
    } else {
      sink_.Set(m, n >> 16);
    }
    n += inc;
  } while (++m < ms);
  last_ = last;
}

void Pen::StartAfter(PixelPoint from, PixelPoint to) {
  last_ = Pixel{};
  const int dx = std::abs(to.x - from.x);
  const int dy = std::abs(to.y - from.y);
  if (dx < dy) {
    Walk<true>(from, to, false);
  } else if (dx != 0) {
    Walk<false>(from, to, false);
  }
}

void Pen::Edge(PixelPoint from, PixelPoint to) {
  const int dx = std::abs(to.x - from.x);
  const int dy = std::abs(to.y - from.y);
  if (dx < dy) {
    Walk<true>(from, to, true);
  } else if (dx != 0) {
    Walk<false>(from, to, true);
  }
}

// A polygon whose corners all fall on one pixel has no row to fill and no edge to walk, so it
// sets nothing; the small parts of a divided mesh often are such polygons.
bool OnOnePixel(std::span<const PixelPoint> corners) {
  return std::all_of(corners.begin() + 1, corners.end(),
                     [&](const PixelPoint& p) { return p == corners[0]; });
}

}  // namespace

bool SolidPolygonFits(std::span<const PixelPoint> corners, int width, int height) {
  if (corners.size() != 3 && corners.size() != 4) {
    return false;
  }
  // Beyond this size the 16.16 arithmetic below would need more than 32 bits.
  constexpr int kMaxSide = 16384;
  if (width > kMaxSide || height > kMaxSide) {
    return false;
  }
  return std::all_of(corners.begin(), corners.end(), [&](const PixelPoint& p) {
    return p.x >= 0 && p.x < width && p.y >= 0 && p.y < height;
  });
}

void PaintSolidPolygon(std::span<const PixelPoint> corners, std::uint32_t* pixels, int width,
                       int height, std::ptrdiff_t stride, std::uint32_t colour) {
  if (OnOnePixel(corners)) {
    return;
  }
  const PixelSink sink(pixels, width, height, stride, colour);
  Fill(corners, sink);
  Pen pen(sink);
  const std::size_t n = corners.size();
  // When the last corner repeats the first, the closing edge is empty and the edge into the
  // last corner counts as the one before the first.
  const PixelPoint before = corners[n - 1] == corners[0] ? corners[n - 2] : corners[n - 1];
  pen.StartAfter(before, corners[0]);
  for (std::size_t i = 0; i < n; ++i) {
    pen.Edge(corners[i], corners[(i + 1) % n]);
  }
}

void PaintSolidPolygon(std::span<const PixelPoint> corners, QImage& image, QRgb colour) {
  // Before the pixels are asked for, which may copy a shared image.
  if (OnOnePixel(corners)) {
    return;
  }
  PaintSolidPolygon(corners, reinterpret_cast<std::uint32_t*>(image.bits()), image.width(),
                    image.height(), image.bytesPerLine() / 4, colour | 0xff000000u);
}

}  // namespace ombrix::qt
