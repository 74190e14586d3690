// The contour lines of the 1000 x 1000 smooth mesh at interval 1 as data: the drawn segments
// joined into lines, and the lines written through OGR to each format. What this adds to the
// computation is the time beyond BM_Segments1000x1000.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "bench_workbooks.h"
#include "contour/contour_polylines.h"
#include "contour/triangle_list.h"
#include "gis/line_export.h"
#include "platform/null_surface.h"
#include "unattended.h"

namespace {

constexpr int kNodes = 1000;

struct Drawing {
  Drawing() {
    ombrix::bench::MakeSmoothMesh(m, w, kNodes, 160.0, 190.0);
    ombrix::BuildTriangleList(m);
  }
  // Draws the map (nowhere) and hands each level's lines to `sink`.
  void Lines(const ombrix::LevelLinesSink& sink) {
    ombrix::CommandContext ctx{m,     w,    ombrix::PanelState{}, surface, nullptr, quiet, quiet,
                               quiet, quiet};
    ombrix::SegmentTrace trace;
    ombrix::ContourCalc(ctx, ombrix::LineJoiningHooks(m, trace, sink));
  }
  ombrix::MeshModel m;
  ombrix::MainWindowState w;
  ombrix::NullSurface surface;
  ombrix::bench::Unattended quiet;
};

void BM_JoinedLines1000x1000(benchmark::State& state) {
  Drawing d;
  std::int64_t lines = 0;
  std::int64_t points = 0;
  d.Lines([](const ombrix::LevelLines&) {});  // the warm-up
  for (auto _ : state) {
    lines = points = 0;
    d.Lines([&](const ombrix::LevelLines& l) {
      lines += static_cast<std::int64_t>(l.lines.size());
      for (const auto& line : l.lines)
        points += static_cast<std::int64_t>(line.points.size());
    });
  }
  state.counters["lines"] = static_cast<double>(lines);
  state.counters["points"] = static_cast<double>(points);
}
BENCHMARK(BM_JoinedLines1000x1000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LinesToFile1000x1000(benchmark::State& state, const char* extension) {
  Drawing d;
  d.Lines([](const ombrix::LevelLines&) {});
  std::string pattern = (std::filesystem::temp_directory_path() / "ombrix_bench.XXXXXX").string();
  const std::filesystem::path folder = mkdtemp(pattern.data());
  const std::string path = (folder / (std::string("lines") + extension)).string();
  for (auto _ : state) {
    std::filesystem::remove(path);
    ombrix::gis::LineFileWriter writer(path, *ombrix::gis::LineFormatFor(path), "");
    d.Lines([&](const ombrix::LevelLines& l) { writer.Write(l); });
    benchmark::DoNotOptimize(writer.Commit());
  }
  state.counters["file_MiB"] = static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
  std::filesystem::remove_all(folder);
}
BENCHMARK_CAPTURE(BM_LinesToFile1000x1000, gpkg, ".gpkg")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK_CAPTURE(BM_LinesToFile1000x1000, shp, ".shp")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK_CAPTURE(BM_LinesToFile1000x1000, geojson, ".geojson")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK_CAPTURE(BM_LinesToFile1000x1000, dxf, ".dxf")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

}  // namespace
