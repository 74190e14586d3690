// Four million small triangles and quadrilaterals through QtSurface::Polygon, as a filled
// contour map paints them: fill colour equal to the outline colour, one-pixel outline, the
// colour changing from band to band. "pixels" sets them straight into the image; "qpainter"
// draws the same polygons through the painter (the fill colour differs from the outline colour
// in its lowest bit, which the direct path does not take).

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "platform/qt/qt_surface.h"

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 800;
constexpr int kPolygons = 4'000'000;
constexpr int kPool = 1 << 16;

void EnsureApplication() {
  static std::optional<QGuiApplication> application;
  if (QCoreApplication::instance() == nullptr) {
    static int argc = 1;
    static char name[] = "ombrix_bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    application.emplace(argc, argv);
  }
}

struct SmallPolygon {
  ombrix::PixelPoint corners[4];
  int count;
  ombrix::Rgb colour;
};

// Triangles and quadrilaterals two to seven pixels across anywhere on the image.
std::vector<SmallPolygon> MakePool() {
  std::mt19937 rng(4242);
  auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
  std::vector<SmallPolygon> pool(kPool);
  for (SmallPolygon& p : pool) {
    const int size = pick(2, 7);
    const int left = pick(0, kWidth - 1 - size);
    const int top = pick(0, kHeight - 1 - size);
    p.count = pick(3, 4);
    for (int i = 0; i < p.count; ++i) {
      p.corners[i] = {left + pick(0, size), top + pick(0, size)};
    }
    p.colour = ombrix::RGB(pick(0, 255), pick(0, 255), pick(0, 255));
  }
  return pool;
}

void BM_SmallPolygons4M(benchmark::State& state) {
  EnsureApplication();
  const bool through_painter = state.range(0) != 0;
  const std::vector<SmallPolygon> pool = MakePool();
  for (auto _ : state) {
    ombrix::qt::QtSurface surface(kWidth, kHeight);
    surface.SetFillStyle(ombrix::FillStyle::Solid);
    surface.SetDrawWidth(1);
    for (int i = 0; i < kPolygons; ++i) {
      const SmallPolygon& p = pool[static_cast<std::size_t>(i % kPool)];
      ombrix::Rgb fill = p.colour;
      if (through_painter) {
        fill.b ^= 1;
      }
      surface.SetForeColor(p.colour);
      surface.SetFillColor(fill);
      surface.Polygon(std::span(p.corners, static_cast<std::size_t>(p.count)));
    }
    benchmark::DoNotOptimize(surface.image().constBits());
  }
  state.counters["ns_per_polygon"] =
      benchmark::Counter(static_cast<double>(kPolygons) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SmallPolygons4M)
    ->ArgName("qpainter")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
