// The mesh optimiser on meshes of 30 x 30 to 1000 x 1000 nodes with 1,000 and 10,000 scattered
// points (weights 1, 1, 10; factor 1.5; limit 1e-6), by relaxation and by the exact solver:
// time, sweeps or iterations, time per node and sweep, and peak memory.

#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <random>

#include "bench_workbooks.h"
#include "model/form_load.h"
#include "model/modes.h"
#include "optimise/initial_values.h"
#include "optimise/optimizing_calc.h"
#include "optimise/point_cells.h"
#include "optimise/relaxation.h"
#include "optimise/sparse_system.h"
#include "optimise/system_terms.h"
#include "optimise/wavefront_sweep.h"

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
  const bool exact = state.range(2) == 1;
  NoEvents events;
  std::int32_t sweeps = 0;
  double peak_mib = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ombrix::MeshModel m;
    MakeProblem(m, n, points);
    m.OptimizeSolver = exact ? ombrix::kSolverExact : ombrix::kSolverRelaxation;
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = ombrix::bench::StatusKb("VmRSS:");
    state.ResumeTiming();
    const ombrix::OptimizeResult r = ombrix::OptimizingCalc(m, events);
    sweeps = exact ? r.Iterations : r.SweepCount;
    state.PauseTiming();
    peak_mib = static_cast<double>(ombrix::bench::StatusKb("VmHWM:") - before) / 1024;
    state.ResumeTiming();
  }
  // Sweeps of the relaxation, or iterations of the exact solver.
  state.counters["sweeps"] = sweeps;
  state.counters["time_per_sweep"] = benchmark::Counter(
      sweeps, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["ns_per_node_sweep"] = benchmark::Counter(
      static_cast<double>(sweeps) * n * n * 1e-9,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["peak_added_MiB"] = peak_mib;
}
// Mesh side, points, solver (0 relaxation, 1 exact); the relaxation is out of reach at 1000.
BENCHMARK(BM_Optimise)
    ->Args({30, 1000, 0})
    ->Args({100, 1000, 0})
    ->Args({300, 1000, 0})
    ->Args({100, 10000, 0})
    ->Args({300, 10000, 0})
    ->Args({100, 1000, 1})
    ->Args({300, 1000, 1})
    ->Args({1000, 10000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// One relaxation sweep at a time, from the fit's own system and starting values: the row-by-row
// sweep (variant 0) against the wavefront sweep on 1 or 2 threads (variants 1, 2).
void BM_Sweep(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int variant = static_cast<int>(state.range(2));
  ombrix::MeshModel m;
  MakeProblem(m, n, static_cast<int>(state.range(1)));
  ombrix::SparseMatrix system(n, n);
  ombrix::FillMembraneCurvature(system, m.MembraneWeight, m.CurvatureWeight);
  std::vector<double> right_side(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), 0.0);
  const std::vector<ombrix::PointCell> pairs = ombrix::FindPointCells(m);
  ombrix::SparseMatrix data(n, n);
  ombrix::AddDataTerm(m, pairs, data, right_side);
  for (std::size_t e = 0; e < data.entries(); ++e) {
    system.value(e) = system.value(e) + m.DataWeight * data.value(e);
  }
  for (double& r : right_side) {
    r = r * m.DataWeight;
  }
  std::vector<double> z = ombrix::InitialValues(m, pairs);
  if (variant == 0) {
    for (auto _ : state) {
      benchmark::DoNotOptimize(ombrix::RelaxationSweep(system, right_side, 1.5, z));
    }
  } else {
    ombrix::WavefrontSweep sweep(system, right_side, z, variant);
    for (auto _ : state) {
      benchmark::DoNotOptimize(sweep.Sweep(1.5));
    }
  }
  state.counters["ns_per_node"] = benchmark::Counter(
      static_cast<double>(n) * n * 1e-9,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Sweep)->ArgsProduct({{100, 300, 1000}, {1, 1000}, {0, 1, 2}})->Unit(benchmark::kMicrosecond);

}  // namespace
