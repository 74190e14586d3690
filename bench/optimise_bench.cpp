// The mesh optimiser on meshes of 30 x 30, 100 x 100 and 300 x 300 nodes with 1,000
// and 10,000 scattered points (weights 1, 1, 10; factor 1.5; limit 1e-6): time, sweeps and peak
// memory.

#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <random>

#include "bench_workbooks.h"
#include "model/form_load.h"
#include "optimise/optimizing_calc.h"

namespace {

struct NoEvents : ombrix::EventPump {
  void ProcessPendingEvents() override {}
  bool CancelRequested() const override { return false; }
  void ResetCancel() override {}
};

void MakeProblem(ombrix::MeshModel& m, int n, int points) {
  ombrix::MainWindowState w;
  ombrix::FormLoad(m, w);
  ombrix::AllocateMesh(m, n, n);
  for (int j = 1; j <= n; ++j) {
    m.NodeX(j) = 10.0 * (j - 1);
  }
  for (int i = 1; i <= n; ++i) {
    m.NodeY(i) = 10.0 * (n - i);
  }
  m.MembraneWeight = 1;
  m.CurvatureWeight = 1;
  m.DataWeight = 10;
  m.RelaxationFactor = 1.5;
  m.ConvergenceLimit = 1e-6;
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> at(0, 10.0 * (n - 1));
  m.PointCount = points;
  m.PointX.Allocate(0, points + 2);
  m.PointY.Allocate(0, points + 2);
  m.PointValue.Allocate(0, points + 2);
  for (int k = 1; k <= points; ++k) {
    m.PointX(k) = at(random);
    m.PointY(k) = at(random);
    m.PointValue(k) = 100 + 30 * std::sin(m.PointX(k) / 300) * std::cos(m.PointY(k) / 250);
  }
}

void BM_Optimise(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int points = static_cast<int>(state.range(1));
  NoEvents events;
  std::int32_t sweeps = 0;
  double peak_mib = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ombrix::MeshModel m;
    MakeProblem(m, n, points);
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = ombrix::bench::StatusKb("VmRSS:");
    state.ResumeTiming();
    sweeps = ombrix::OptimizingCalc(m, events).SweepCount;
    state.PauseTiming();
    peak_mib = static_cast<double>(ombrix::bench::StatusKb("VmHWM:") - before) / 1024;
    state.ResumeTiming();
  }
  state.counters["sweeps"] = sweeps;
  state.counters["time_per_sweep"] = benchmark::Counter(
      sweeps, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["peak_added_MiB"] = peak_mib;
}
BENCHMARK(BM_Optimise)
    ->Args({30, 1000})
    ->Args({100, 1000})
    ->Args({300, 1000})
    ->Args({30, 10000})
    ->Args({100, 10000})
    ->Args({300, 10000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
