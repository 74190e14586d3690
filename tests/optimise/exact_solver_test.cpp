// The exact solver: the residual of its solution recomputed from the system, the minimiser
// against the relaxation run to a tiny limit, and its refusals and cancelling.

#include <gtest/gtest.h>

#include <tuple>

#include "model/modes.h"
#include "optimise/exact_solver.h"
#include "optimise_fixture.h"

namespace ombrix {
namespace {

// |b - Az| / |b|, in long double from the system's own rows: the solution's certificate,
// whatever the solver reports.
double RelativeResidual(const SparseMatrix& a, const std::vector<double>& b,
                        const std::vector<double>& x) {
  long double rr = 0, bb = 0;
  for (std::int32_t k = 1; k <= a.size(); ++k) {
    long double s = b[k - 1];
    for (std::size_t e = a.begin(k); e < a.end(k); ++e)
      s -= static_cast<long double>(a.value(e)) * x[a.column(e) - 1];
    rr += s * s;
    bb += static_cast<long double>(b[k - 1]) * b[k - 1];
  }
  return static_cast<double>(std::sqrt(rr / bb));
}

TEST(ExactSolver, ReachesTheToleranceInFewIterations) {
  // Lines, squares, and meshes large enough for several multigrid levels.
  const std::tuple<std::int32_t, std::int32_t, int> shapes[] = {
      {1, 9, 0},   {9, 1, 0},    {2, 2, 3},      {3, 7, 5},    {12, 12, 40}, {11, 5, 4},
      {5, 12, 60}, {26, 17, 60}, {130, 97, 320}, {3, 400, 35}, {257, 6, 43}};
  std::mt19937 rng(3);
  for (const auto& [nx, ny, points] : shapes) {
    SCOPED_TRACE(::testing::Message() << nx << " x " << ny);
    const testing::FitSystem fit = testing::RandomSystem(rng, nx, ny, points);
    std::vector<double> got(fit.right_side.size(), 1.0);
    testing::FakeEventPump events;
    std::int32_t reported = 0;
    const ExactSolveResult r = SolveExact(fit.system, fit.right_side, got, events,
                                          [&](std::int32_t it, double) { reported = it; });
    EXPECT_FALSE(r.cancelled);
    EXPECT_EQ(reported, r.iterations);
    EXPECT_EQ(events.processed, r.iterations);
    EXPECT_LT(r.iterations, 40);
    EXPECT_LE(r.residual, kExactTolerance);
    EXPECT_LE(RelativeResidual(fit.system, fit.right_side, got), 2 * kExactTolerance);
  }
}

TEST(ExactSolver, AgreesWithTheRelaxationRunToATinyLimit) {
  std::mt19937 rng(21);
  MeshModel relaxed = testing::RandomModel(rng, 9, 8, 30);
  relaxed.ConvergenceLimit = 1e-15;
  relaxed.RelaxationFactor = 1.7;
  MeshModel exact = relaxed;
  exact.OptimizeSolver = kSolverExact;
  testing::FakeEventPump events;
  ASSERT_EQ(OptimizingCalc(relaxed, events).outcome, OptimizeOutcome::Converged);
  const OptimizeResult r = OptimizingCalc(exact, events);
  ASSERT_EQ(r.outcome, OptimizeOutcome::Converged);
  EXPECT_EQ(r.SweepCount, 0);
  EXPECT_GT(r.Iterations, 0);
  EXPECT_LE(r.Residual, kExactTolerance);
  // A node left blank reads NaN and fails.
  const std::vector<double> got = testing::NodeValues(exact), want = testing::NodeValues(relaxed);
  for (std::size_t e = 0; e < want.size(); ++e)
    EXPECT_NEAR(got[e], want[e], 1e-9) << "node " << e;
}

TEST(ExactSolver, CancelledFailedAndUnsolvableRunsLeaveTheMeshUnchanged) {
  std::mt19937 rng(4);
  MeshModel m = testing::RandomModel(rng, 20, 20, 50);
  m.OptimizeSolver = kSolverExact;
  testing::FakeEventPump cancel;
  cancel.on_process = [&] { cancel.cancel = true; };
  EXPECT_EQ(OptimizingCalc(m, cancel).outcome, OptimizeOutcome::Cancelled);
  EXPECT_TRUE(testing::Untouched(m));
  MeshModel bad = m;  // the last point lies inside the mesh
  bad.PointValue(bad.PointCount) = std::nan("");
  testing::Failure(bad);
  bad.PointValue(bad.PointCount) = HUGE_VAL;
  testing::Failure(bad);
  // No membrane, no curvature, one point: the nodes away from it are free.
  MeshModel free = testing::MakeModel({0, 1, 2}, {2, 1, 0}, {{0.5, 1.5, 3}}, 0, 0);
  free.OptimizeSolver = kSolverExact;
  EXPECT_EQ(testing::Failure(free).number(), err::kDivisionByZero);
}

}  // namespace
}  // namespace ombrix
