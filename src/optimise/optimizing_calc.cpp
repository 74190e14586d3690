#include "optimise/optimizing_calc.h"

#include <cmath>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "model/numeric.h"
#include "model/run_error.h"
#include "optimise/initial_values.h"
#include "optimise/point_cells.h"
#include "optimise/relaxation.h"
#include "optimise/sparse_system.h"
#include "optimise/system_terms.h"
#include "optimise/wavefront_sweep.h"

namespace ombrix {
namespace {

void RequireFinite(const std::vector<double>& values, const char* what) {
  for (const double v : values) {
    if (!std::isfinite(v)) {
      throw RunError(err::kOverflow, std::string("オーバーフローしました: ") + what + "。");
    }
  }
}

void RequireFinite(const SparseMatrix& a, const char* what) {
  for (std::size_t e = 0; e < a.entries(); ++e) {
    if (!std::isfinite(a.value(e))) {
      throw RunError(err::kOverflow, std::string("オーバーフローしました: ") + what + "。");
    }
  }
}

constexpr std::int32_t kWavefrontNodes = 2'000;

}  // namespace

OptimizeResult OptimizingCalc(MeshModel& m, EventPump& events, const OptimizeObservers& observers,
                              const OptimizeOptions& options) {
  if (m.NodeCountX < 1 || m.NodeCountY < 1) {
    throw RunError(err::kDivisionByZero,
                   "最適化できません: メッシュがありません。メッシュデータを読み込んで下さい。");
  }
  if (m.PointCount <= 0) {
    throw RunError(err::kDivisionByZero,
                   "最適化できません: 散布データがありません。点データを読み込んで下さい。");
  }
  const std::vector<PointCell> pairs = FindPointCells(m);
  if (pairs.empty()) {
    throw RunError(err::kDivisionByZero,
                   "最適化できません: メッシュのセルの中にある散布データが 1 点もありません。");
  }
  OptimizeListings* listings = m.InfoDisplayMode == 1 ? observers.listings : nullptr;
  const std::int32_t nx = m.NodeCountX;
  const std::int32_t ny = m.NodeCountY;

  // Step 1: the membrane matrix w1 * L (kept apart only for its listing).
  if (listings != nullptr) {
    SparseMatrix membrane(nx, ny);
    FillMembrane(membrane, m.MembraneWeight);
    listings->ListMembrane(membrane);
  }
  // Step 2: SystemMatrix = w2 * H + w1 * L.
  SparseMatrix system(nx, ny);
  FillMembraneCurvature(system, m.MembraneWeight, m.CurvatureWeight);
  if (listings != nullptr) {
    listings->ListMembraneCurvature(system);
  }
  // Step 3: SystemMatrix += w3 * DataMatrix, RightSide *= w3.
  std::vector<double> right_side(static_cast<std::size_t>(system.size()), 0.0);
  {
    SparseMatrix data(nx, ny);
    AddDataTerm(m, pairs, data, right_side);
    const double w3 = m.DataWeight;
    for (std::size_t e = 0; e < data.entries(); ++e) {
      data.value(e) = w3 * data.value(e);
      system.value(e) = system.value(e) + data.value(e);
    }
    for (double& r : right_side) {
      r = r * w3;
    }
    RequireFinite(system, "SystemMatrix");
    RequireFinite(right_side, "RightSide");
    if (listings != nullptr) {
      listings->ListData(data, right_side);
    }
  }
  // Step 4: starting values.
  std::vector<double> solution = InitialValues(m, pairs);

  // Step 5: sweeps until every relative change is at most the limit.
  events.ResetCancel();
  OptimizeResult result;
  const double omega = m.RelaxationFactor;
  const double limit = m.ConvergenceLimit;
  // The wavefront sweep gives the same values as the row-by-row one and pays from a few
  // thousand nodes on; a zero diagonal is left to the row-by-row sweep, which reports it at the
  // node where it is met.
  std::optional<WavefrontSweep> wavefront;
  if (options.threads > 0 || system.size() >= kWavefrontNodes) {
    wavefront.emplace(system, right_side, solution, options.threads);
    if (!wavefront->usable()) {
      wavefront.reset();
    }
  }
  if (observers.before_sweeps) {
    observers.before_sweeps();
  }
  for (;;) {
    events.ProcessPendingEvents();
    if (events.CancelRequested()) {
      result.outcome = OptimizeOutcome::Cancelled;
      return result;
    }
    result.SweepCount += 1;
    result.MaxChange =
        wavefront ? wavefront->Sweep(omega) : RelaxationSweep(system, right_side, omega, solution);
    const bool converged = result.MaxChange <= limit;
    if (observers.on_sweep) {
      observers.on_sweep(result.SweepCount, result.MaxChange);
    }
    if (converged) {
      break;
    }
    if (result.SweepCount == kSweepLimit) {
      throw RunError(err::kOverflow,
                     "最適化が収束しません: SOR 法を " + std::to_string(kSweepLimit) +
                         " 回繰り返しても最大変化率 " + RealText(result.MaxChange) +
                         " が収束判定値を超えています。メッシュは変更していません。");
    }
  }
  if (wavefront) {
    wavefront->CopyOut(solution);
  }
  // Step 6.
  if (listings != nullptr) {
    listings->ListSolution(solution);
  }
  // Step 7: the only change to the model.
  for (std::int32_t i = 1; i <= ny; ++i) {
    for (std::int32_t j = 1; j <= nx; ++j) {
      m.NodeValue(i, j) = solution[static_cast<std::size_t>(i - 1) * static_cast<std::size_t>(nx) +
                                   static_cast<std::size_t>(j - 1)];
      m.NodeBlank(i, j) = 0;
    }
  }
  result.outcome = OptimizeOutcome::Converged;
  return result;
}

}  // namespace ombrix
