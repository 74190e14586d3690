// The mesh division of a 300 x 300 node mesh: its 357 604 triangles divided twice (d = 3, 5.7
// million triangles) and the map drawn again from them in the Normal mode with about 100
// whole-number levels, on the offscreen drawing area the window uses. Before each timed run the
// list is built and drawn once undivided, as the contour command leaves it for the division.
// Peak memory is reported next to the time: the process's peak during the run, and how much
// it rose above the memory held when the run started.

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

namespace {

using ombrix::bench::StatusKb;

constexpr int kNodes = 300;
constexpr std::int32_t kDivisions = 3;

// The dialogs, windows and events of a run that nobody watches.
struct Unattended : ombrix::Dialogs, ombrix::WindowOps, ombrix::EventPump, ombrix::WorkbookOpener {
  void Message(std::string_view, std::string_view, ombrix::MessageIcon) override {}
  bool AskYesNo(std::string_view, std::string_view) override { return false; }
  std::string InputBox(std::string_view, std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> OpenFile(std::string_view) override { return std::nullopt; }
  ombrix::ScreenInfo Screen() const override { return {}; }
  ombrix::WindowRect Geometry(ombrix::WindowId) const override { return {}; }
  void SetGeometry(ombrix::WindowId, const ombrix::WindowRect&) override {}
  void Show(ombrix::WindowId) override {}
  void Hide(ombrix::WindowId) override {}
  void KeepOnTop(ombrix::WindowId) override {}
  void FocusMain() override {}
  void SetDrawingAreaSize(std::int32_t, std::int32_t) override {}
  void SetMousePointer(ombrix::MousePointer) override {}
  void ShowStatus(std::string_view) override {}
  void ProcessPendingEvents() override {}
  bool CancelRequested() const override { return false; }
  void ResetCancel() override {}
  std::unique_ptr<ombrix::Workbook> Open(const std::string&) override { return nullptr; }
};

// A smooth field from about 55 to 145: some 90 levels at interval 1.
void MakeMesh(ombrix::MeshModel& m, ombrix::MainWindowState& w) {
  ombrix::FormLoad(m, w);
  ombrix::AllocateMesh(m, kNodes, kNodes);
  for (int j = 1; j <= kNodes; ++j) {
    m.NodeX(j) = j - 1.0;
  }
  for (int i = 1; i <= kNodes; ++i) {
    m.NodeY(i) = kNodes - static_cast<double>(i);
    for (int j = 1; j <= kNodes; ++j) {
      m.NodeValue(i, j) = 100 + 45 * std::sin(j / 48.0) * std::cos(i / 57.0) + 0.004 * (i + j);
    }
  }
  m.RangeX = m.RangeY = kNodes - 1.0;
  m.FrameLeft = 30;
  m.FrameTop = 20;
  m.FrameWidth = m.FrameHeight = 600;
  w.MeshFileName = "bench";
}

// The division alone, without the drawing.
void BM_Divide300x300(benchmark::State& state) {
  ombrix::MeshModel m;
  ombrix::MainWindowState w;
  MakeMesh(m, w);
  for (auto _ : state) {
    state.PauseTiming();
    ombrix::BuildTriangleList(m);
    state.ResumeTiming();
    ombrix::DivideTriangles(m, kDivisions);
  }
  state.counters["triangles"] = m.TriangleCount;
}
BENCHMARK(BM_Divide300x300)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DivideAndRedraw300x300(benchmark::State& state) {
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
  MakeMesh(m, w);
  ombrix::PanelState normal;
  normal.Option1 = false;
  normal.Option3 = true;
  Unattended quiet;
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
BENCHMARK(BM_DivideAndRedraw300x300)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
