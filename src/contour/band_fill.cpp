#include "contour/band_fill.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "blank/blank_colour.h"
#include "contour/colour_scale.h"
#include "model/numeric.h"

namespace ombrix {
namespace {

// Runs worked out ahead of the painting on a long list; lists shorter than this many runs are
// read and painted on one thread.
constexpr std::int64_t kFillRunsAhead = 8;

// The colour steps read once for a whole fill of the list, so that each triangle's colour is a
// scan of a plain table, as BandColour scans the thresholds.
class BandPalette {
 public:
  BandPalette(const MeshModel& m, const MainWindowState& w) {
    for (std::int32_t i = 0; i <= kColorSteps; ++i) {
      levels_[static_cast<std::size_t>(i)] = w.ColorLevel(i);
    }
    for (std::int32_t k = 0; k <= kColorSteps + 1; ++k) {
      colours_[static_cast<std::size_t>(k)] = ColorOfIndex(m, k);
    }
  }

  Rgb Colour(double value_a, double value_b, double value_c) const {
    const double mean = (value_a + value_b + value_c) / 3;
    std::size_t i = 0;
    while (i < levels_.size() && !(levels_[i] < mean)) {
      ++i;
    }
    return colours_[i];
  }

 private:
  std::array<double, kColorSteps + 1> levels_{};
  std::array<Rgb, kColorSteps + 2> colours_{};
};

void FillInColour(DrawingSurface& surface, std::span<const PixelPoint> corners, Rgb colour,
                  const PrinterCopy& print) {
  surface.SetFillStyle(FillStyle::Solid);
  surface.SetForeColor(colour);
  surface.SetFillColor(colour);
  surface.Polygon(corners);
  print.Polygon(corners, colour);
  surface.Refresh();
  surface.SetFillStyle(FillStyle::Transparent);
}

// A triangle's corners in whole pixels.
std::array<PixelPoint, 3> CornersOf(const PixelMapping& map, const TriangleRecord& tri) {
  return {WholePixelPoint(map, tri.Y[1], tri.X[1]), WholePixelPoint(map, tri.Y[2], tri.X[2]),
          WholePixelPoint(map, tri.Y[3], tri.X[3])};
}

// A run of triangles between two stop checks, read and worked out to pixels and colours.
struct FillRun {
  std::array<std::array<PixelPoint, 3>, kFillStopStride> corners;
  std::array<Rgb, kFillStopStride> colours;
  std::int64_t count = 0;    // triangles worked out
  std::exception_ptr error;  // what stopped the working out after `count` triangles
};

// Reading a long list (the parts of divided triangles are worked out as they are read) and
// mapping it to pixels costs about as much as painting it. A second thread does the reading,
// a few runs ahead; the painting stays here, in list order on the one surface, so the picture
// and the printed copy are the same as when one thread does both.
bool FillInRuns(DrawingSurface& surface, const MeshModel& m, const BandPalette& palette,
                const PixelMapping& map, const PrinterCopy& print, const FillStopCheck& stop) {
  const std::int64_t n = m.TriangleCount;
  const std::int64_t runs = (n + kFillStopStride - 1) / kFillStopStride;
  std::vector<FillRun> ring(static_cast<std::size_t>(kFillRunsAhead));
  std::mutex mutex;
  std::condition_variable changed;
  std::int64_t made = 0;     // runs worked out
  std::int64_t painted = 0;  // runs painted, their slots free again
  bool quit = false;
  const auto slot = [&](std::int64_t r) -> FillRun& {
    return ring[static_cast<std::size_t>(r % kFillRunsAhead)];
  };
  std::jthread reader([&] {
    for (std::int64_t r = 0; r < runs; ++r) {
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return quit || r - painted < kFillRunsAhead; });
        if (quit) {
          return;
        }
      }
      FillRun& run = slot(r);
      run.count = 0;
      run.error = nullptr;
      const std::int64_t from = r * kFillStopStride + 1;
      try {
        m.Triangles.ForEach(from, std::min(from + kFillStopStride - 1, n),
                            [&](std::int64_t, const TriangleRecord& tri) {
                              const auto k = static_cast<std::size_t>(run.count);
                              run.corners[k] = CornersOf(map, tri);
                              run.colours[k] = palette.Colour(tri.Z[1], tri.Z[2], tri.Z[3]);
                              ++run.count;
                            });
      } catch (...) {
        run.error = std::current_exception();
      }
      {
        const std::lock_guard lock(mutex);
        made = r + 1;
      }
      changed.notify_all();
      if (run.error) {
        return;
      }
    }
  });
  // However the painting ends (done, stopped, or an error), the reader is told to quit before
  // it is joined, so that it never waits for a slot that will not be freed.
  struct QuitOnExit {
    std::mutex& mutex;
    std::condition_variable& changed;
    bool& quit;
    ~QuitOnExit() {
      {
        const std::lock_guard lock(mutex);
        quit = true;
      }
      changed.notify_all();
    }
  } quit_on_exit{mutex, changed, quit};
  for (std::int64_t r = 0; r < runs; ++r) {
    if (stop && stop(r * kFillStopStride, n)) {
      return false;
    }
    {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return made > r; });
    }
    const FillRun& run = slot(r);
    for (std::int64_t k = 0; k < run.count; ++k) {
      FillInColour(surface, run.corners[static_cast<std::size_t>(k)],
                   run.colours[static_cast<std::size_t>(k)], print);
    }
    if (run.error) {
      std::rethrow_exception(run.error);
    }
    {
      const std::lock_guard lock(mutex);
      painted = r + 1;
    }
    changed.notify_all();
  }
  return true;
}

}  // namespace

Rgb BandColour(const MeshModel& m, const MainWindowState& w, double value_a, double value_b,
               double value_c) {
  const double mean = (value_a + value_b + value_c) / 3;
  return ColorOfIndex(m, ColorIndexOf(w, mean));
}

void FillBandPolygon(DrawingSurface& surface, const MeshModel& m, const MainWindowState& w,
                     std::span<const PixelPoint> corners, double value_a, double value_b,
                     double value_c, const PrinterCopy& print) {
  FillInColour(surface, corners, BandColour(m, w, value_a, value_b, value_c), print);
}

bool FillTriangleBases(DrawingSurface& surface, const MeshModel& m, const MainWindowState& w,
                       const PixelMapping& map, const PrinterCopy& print,
                       const FillStopCheck& stop) {
  const std::int64_t n = m.TriangleCount;
  const BandPalette palette(m, w);
  if (n >= kFillRunsAhead * kFillStopStride) {
    return FillInRuns(surface, m, palette, map, print, stop);
  }
  for (std::int64_t from = 1; from <= n; from += kFillStopStride) {
    if (stop && stop(from - 1, n)) {
      return false;
    }
    m.Triangles.ForEach(from, std::min(from + kFillStopStride - 1, n),
                        [&](std::int64_t, const TriangleRecord& tri) {
                          FillInColour(surface, CornersOf(map, tri),
                                       palette.Colour(tri.Z[1], tri.Z[2], tri.Z[3]), print);
                        });
  }
  return true;
}

bool ShadeCells(DrawingSurface& surface, const MeshModel& m, const PixelMapping& map,
                const PrinterCopy& print, const FillStopCheck& stop) {
  for (std::int32_t i = 1; i <= m.NodeCountY - 1; ++i) {
    if (stop && stop(i - 1, m.NodeCountY - 1)) {
      return false;
    }
    for (std::int32_t j = 1; j <= m.NodeCountX - 1; ++j) {
      const std::array<std::int32_t, 4> shade = BlankdataColor(m, i, j);
      const double mx = (m.NodeX(j) + m.NodeX(j + 1)) / 2;
      const double my = (m.NodeY(i) + m.NodeY(i + 1)) / 2;
      const double x0 = m.NodeX(j), x1 = m.NodeX(j + 1);
      const double y0 = m.NodeY(i), y1 = m.NodeY(i + 1);
      // Quarters of z00, z10, z01, z11: (x, y) of the two corners of each box.
      const double boxes[4][4] = {
          {x0, y0, mx, my}, {x0, my, mx, y1}, {mx, y0, x1, my}, {mx, my, x1, y1}};
      for (int q = 0; q < 4; ++q) {
        if (shade[static_cast<std::size_t>(q)] > 0) {
          const Rgb colour = RGB(0, std::min(shade[static_cast<std::size_t>(q)], 255), 0);
          const double ax = map.X(boxes[q][0]), ay = map.Y(boxes[q][1]);
          const double bx = map.X(boxes[q][2]), by = map.Y(boxes[q][3]);
          surface.FilledBox(ax, ay, bx, by, colour);
          print.ShadeBox(ax, ay, bx, by, colour);
        }
      }
    }
  }
  return true;
}

}  // namespace ombrix
