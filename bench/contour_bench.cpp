// The contour map of a 1000 x 1000 node mesh of a smooth field with about 100 whole-number
// levels (interval 1), the mesh already in memory: the triangle list, all segments of all
// levels, and the whole drawing encoded as PNG. Peak memory is reported next to the time.

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QGuiApplication>
#include <cmath>
#include <fstream>
#include <optional>

#include "bench_workbooks.h"
#include "contour/contour_calc.h"
#include "contour/triangle_list.h"
#include "model/form_load.h"
#include "platform/null_surface.h"
#include "platform/qt/qt_surface.h"
#include "unattended.h"

namespace {

using ombrix::bench::StatusKb;

constexpr int kNodes = 1000;

// The first drawing of a process pays once for touching half a gigabyte of fresh triangle
// list (slow on virtual machines: about 1.3 s here); the timed runs start after one warm-up
// drawing of the same mesh, as a redraw in the window does.

void MakeMesh(ombrix::MeshModel& m, ombrix::MainWindowState& w) {
  ombrix::bench::MakeSmoothMesh(m, w, kNodes, 160.0, 190.0);
}

struct Peak {
  Peak() {
    std::ofstream("/proc/self/clear_refs") << "5";
    before_kb = StatusKb("VmRSS:");
  }
  double AddedMiB() const { return static_cast<double>(StatusKb("VmHWM:") - before_kb) / 1024; }
  long before_kb;
};

void BM_TriangleList1000x1000(benchmark::State& state) {
  ombrix::MeshModel m;
  ombrix::MainWindowState w;
  MakeMesh(m, w);
  ombrix::BuildTriangleList(m);  // the warm-up
  for (auto _ : state) {
    ombrix::BuildTriangleList(m);
    benchmark::DoNotOptimize(m.TriangleCount);
  }
  state.counters["triangles"] = m.TriangleCount;
}
BENCHMARK(BM_TriangleList1000x1000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Segments1000x1000(benchmark::State& state) {
  ombrix::MeshModel m;
  ombrix::MainWindowState w;
  MakeMesh(m, w);
  ombrix::BuildTriangleList(m);
  ombrix::bench::Unattended quiet;
  ombrix::NullSurface surface;
  std::int64_t segments = 0;
  std::int64_t levels = 0;
  double peak = 0;
  for (auto _ : state) {
    Peak p;
    ombrix::CommandContext ctx{m,     w,    ombrix::PanelState{}, surface, nullptr, quiet, quiet,
                               quiet, quiet};
    segments = levels = 0;
    ombrix::ContourHooks hooks;
    hooks.on_level = [&](std::int32_t, const ombrix::GrowableList<ombrix::SegmentRecord>& s) {
      segments += s.count();
      ++levels;
    };
    ombrix::ContourCalc(ctx, hooks);
    peak = p.AddedMiB();
  }
  state.counters["levels"] = static_cast<double>(levels);
  state.counters["segments"] = static_cast<double>(segments);
  state.counters["peak_added_MiB"] = peak;
}
BENCHMARK(BM_Segments1000x1000)->Unit(benchmark::kMillisecond)->Iterations(3);

void DrawAndPng(benchmark::State& state, const ombrix::PanelState& panel) {
  static std::optional<QGuiApplication> application;
  if (QCoreApplication::instance() == nullptr) {
    static int argc = 1;
    static char name[] = "ombrix_bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    application.emplace(argc, argv);
  }
  ombrix::MeshModel m;
  ombrix::MainWindowState w;
  MakeMesh(m, w);
  ombrix::bench::Unattended quiet;
  double peak = 0;
  qint64 png_bytes = 0;
  ombrix::BuildTriangleList(m);  // the warm-up
  for (auto _ : state) {
    Peak p;
    ombrix::qt::QtSurface surface(m.FrameWidth + 70, m.FrameHeight + 50);
    ombrix::CommandContext ctx{m, w, panel, surface, nullptr, quiet, quiet, quiet, quiet};
    ombrix::BuildTriangleList(m);
    ombrix::ContourCalc(ctx);
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    surface.image().save(&png, "PNG");
    png_bytes = png.size();
    peak = p.AddedMiB();
  }
  state.counters["png_bytes"] = static_cast<double>(png_bytes);
  state.counters["peak_added_MiB"] = peak;
}

void BM_DrawAndPng1000x1000(benchmark::State& state) {
  DrawAndPng(state, ombrix::PanelState{});
}
BENCHMARK(BM_DrawAndPng1000x1000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_EasyModePng1000x1000(benchmark::State& state) {
  ombrix::PanelState panel;
  panel.Option1 = false;
  panel.Option2 = true;
  DrawAndPng(state, panel);
}
BENCHMARK(BM_EasyModePng1000x1000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_NormalModePng1000x1000(benchmark::State& state) {
  ombrix::PanelState panel;
  panel.Option1 = false;
  panel.Option3 = true;
  DrawAndPng(state, panel);
}
BENCHMARK(BM_NormalModePng1000x1000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
