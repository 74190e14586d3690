// The mesh division of a 300 x 300 and a 600 x 600 node mesh: 357 604 (1.4 million)
// triangles divided twice (d = 3: 5.7 (23) million triangles) and the map drawn again from them
// in the Normal mode with about 100 whole-number levels, on the offscreen drawing area the
// window uses. Before each timed run the list is built and drawn once undivided, as the contour
// command leaves it for the division. Peak memory is reported next to the time: the process's
// peak during the run, and how much it rose above the memory held when the run started.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cmath>
#include <fstream>
#include <optional>

#include "bench_workbooks.h"
#include "contour/contour_calc.h"
#include "contour/mesh_division.h"
#include "contour/triangle_list.h"
#include "model/form_load.h"
#include "platform/qt/qt_surface.h"
#include "unattended.h"

namespace {

using ombrix::bench::StatusKb;

constexpr std::int32_t kDivisions = 3;

void MakeMesh(ombrix::MeshModel& m, ombrix::MainWindowState& w, int nodes) {
  ombrix::bench::MakeSmoothMesh(m, w, nodes, 48.0, 57.0);
}

// The division alone, without the drawing.
void BM_Divide(benchmark::State& state) {
  ombrix::MeshModel m;
  ombrix::MainWindowState w;
  MakeMesh(m, w, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    ombrix::BuildTriangleList(m);
    state.ResumeTiming();
    ombrix::DivideTriangles(m, kDivisions);
  }
  state.counters["triangles"] = m.TriangleCount;
}
BENCHMARK(BM_Divide)->Arg(300)->Arg(600)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DivideAndRedraw(benchmark::State& state) {
  // Fonts need a GUI application. One made here is gone before the program's exit handlers
  // run; one another benchmark made already is used as it is.
  static int argc = 1;
  static char name[] = "ombrix_bench";
  static char* argv[] = {name, nullptr};
  std::optional<QGuiApplication> application;
  if (QCoreApplication::instance() == nullptr) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    application.emplace(argc, argv);
  }
  ombrix::MeshModel m;
  ombrix::MainWindowState w;
  MakeMesh(m, w, static_cast<int>(state.range(0)));
  ombrix::PanelState normal;
  normal.Option1 = false;
  normal.Option3 = true;
  ombrix::bench::Unattended quiet;
  ombrix::qt::QtSurface surface(m.FrameWidth + 70, m.FrameHeight + 50);
  std::int64_t levels = 0;
  double peak_mib = 0;
  double added_mib = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ombrix::CommandContext ctx{m, w, normal, surface, nullptr, quiet, quiet, quiet, quiet};
    ombrix::BuildTriangleList(m);
    w.DividedMesh = 0;
    ombrix::ContourCalc(ctx);
    std::ofstream("/proc/self/clear_refs") << "5";  // restart the peak (VmHWM) from here
    const long before_kb = StatusKb("VmRSS:");
    state.ResumeTiming();

    ombrix::DivideTriangles(m, kDivisions);
    w.DividedMesh = 1;
    levels = 0;
    ombrix::ContourHooks hooks;
    hooks.on_level = [&](std::int32_t, const ombrix::GrowableList<ombrix::SegmentRecord>&) {
      ++levels;
    };
    ombrix::ContourCalc(ctx, hooks);

    state.PauseTiming();
    const long peak_kb = StatusKb("VmHWM:");
    peak_mib = static_cast<double>(peak_kb) / 1024;
    added_mib = static_cast<double>(peak_kb - before_kb) / 1024;
    state.ResumeTiming();
  }
  state.counters["triangles"] = m.TriangleCount;
  state.counters["levels"] = static_cast<double>(levels);
  state.counters["peak_MiB"] = peak_mib;
  state.counters["peak_added_MiB"] = added_mib;
}
BENCHMARK(BM_DivideAndRedraw)->Arg(300)->Arg(600)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
