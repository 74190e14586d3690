// Refused inputs, the sweep limit, cancelling, and fits whose answer is known.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fakes/fake_window_ops.h"
#include "model/run_error.h"
#include "optimise/optimizing_calc.h"
#include "optimise_fixture.h"

namespace ombrix {
namespace {

using testing::MakeModel;

TEST(OptimizingCalcRepairs, NothingToFitIsRefusedBeforeAnyWork) {
  const MeshModel cases[] = {
      MakeModel({0, 1, 2}, {2, 1, 0}, {}, 1, 1, 1, 1.5, 1e-6, 0),  // no points
      MakeModel({0, 1, 2}, {2, 1, 0}, {{5, 1, 3}, {1, -0.5, 2}}, 1, 1, 1, 1.5, 1e-6, 1),  // all out
      MakeModel({0, 1, 2}, {1}, {{1, 1, 3}}, 1, 1, 1, 1.5, 1e-6, 0),  // one row: no cells
  };
  for (MeshModel m : cases) {
    testing::FakeEventPump events;
    EXPECT_THROW(OptimizingCalc(m, events), RunError);
    EXPECT_EQ(events.processed, 0);
    EXPECT_TRUE(testing::Untouched(m));
  }
  MeshModel outside = cases[1];
  testing::FakeEventPump events;
  try {
    OptimizingCalc(outside, events);
  } catch (const RunError& e) {
    EXPECT_NE(e.description().find("セル"), std::string::npos);  // names the cause
  }
}

TEST(OptimizingCalcRepairs, SlowRunStopsAtTheSweepLimitUnchanged) {
  // A tiny relaxation factor moves the values by a millionth of their change a sweep, so the
  // relative change never reaches a tiny limit.
  MeshModel m =
      MakeModel({0, 1}, {1, 0}, {{0.25, 0.5, 3}, {0.75, 0.25, 5}}, 1, 0, 1, 1e-6, 1e-300, 0);
  testing::FakeEventPump events;
  std::int32_t last = 0;
  try {
    OptimizingCalc(m, events, {.on_sweep = [&](std::int32_t sweep, double) { last = sweep; }});
    FAIL() << "no error";
  } catch (const RunError& e) {
    EXPECT_NE(e.description().find("1000000"), std::string::npos);
  }
  EXPECT_EQ(last, kSweepLimit);
  EXPECT_TRUE(testing::Untouched(m));
}

TEST(OptimizingCalcRepairs, DivergingRelaxationOverflowsUnchanged) {
  MeshModel m =
      MakeModel({0, 1, 2}, {2, 1, 0}, {{0.5, 1.5, 3}, {1.5, 0.5, 5}}, 1, 1, 1, 3.5, 1e-9, 0);
  testing::FakeEventPump events;
  try {
    OptimizingCalc(m, events);
    FAIL() << "no error";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), err::kOverflow);
  }
  EXPECT_TRUE(testing::Untouched(m));
}

class CancelAfter : public EventPump {
 public:
  explicit CancelAfter(int calls) : calls_(calls) {}
  int processed = 0;
  void ProcessPendingEvents() override { ++processed; }
  bool CancelRequested() const override { return processed >= calls_; }
  void ResetCancel() override {}

 private:
  int calls_;
};

TEST(OptimizingCalcRepairs, CancelStopsTheRunUnchanged) {
  MeshModel m =
      MakeModel({0, 1, 2}, {2, 1, 0}, {{0.5, 1.5, 3}, {1.5, 0.5, 5}}, 1, 1, 1, 1e-3, 1e-12, 0);
  CancelAfter events(4);
  std::int32_t sweeps = 0;
  const OptimizeResult r =
      OptimizingCalc(m, events, {.on_sweep = [&](std::int32_t, double) { ++sweeps; }});
  EXPECT_EQ(r.outcome, OptimizeOutcome::Cancelled);
  EXPECT_EQ(r.SweepCount, 3);
  EXPECT_EQ(sweeps, 3);
  EXPECT_TRUE(testing::Untouched(m));
}

TEST(OptimizingCalcAnalytic, ConstantDataIsReproducedExactlyInOneSweep) {
  // Dyadic positions and values keep every product and sum exact, so the mean 2 is already
  // the solution: L and H rows sum to 0 and the data row sums to its right side.
  MeshModel m = MakeModel({0, 1, 2, 3}, {2, 1, 0}, {{0.5, 1.5, 2}, {2.25, 0.75, 2}, {1, 1, 2}}, 1,
                          1, 4, 1.5, 1e-12, 1);
  testing::FakeEventPump events;
  const OptimizeResult r = OptimizingCalc(m, events);
  EXPECT_EQ(r.SweepCount, 1);
  EXPECT_EQ(r.MaxChange, 0);
  EXPECT_EQ(testing::NodeValues(m), std::vector<double>(12, 2));
  EXPECT_EQ(testing::NodeBlanks(m), std::vector<std::int32_t>(12, 0));
}

TEST(OptimizingCalcAnalytic, PlaneIsReproducedWithinTheToleranceWithoutMembrane) {
  // Equal spacing makes every second difference of a plane 0 and bilinear interpolation is
  // exact on a plane, so without the membrane term the plane is the minimiser. Only the
  // stopping test limits the accuracy, so it is checked to a tolerance, not exactly.
  auto plane = [](double x, double y) { return 1 + 0.5 * x - 0.25 * y; };
  std::vector<testing::TestPoint> pts;
  for (double x : {0.3, 1.7, 2.5, 3.9, 0.8}) {
    for (double y : {0.2, 1.6, 2.9}) {
      pts.push_back({x, y, plane(x, y)});
    }
  }
  MeshModel m = MakeModel({0, 1, 2, 3, 4}, {3, 2, 1, 0}, pts, 0, 1, 10, 1.5, 1e-13, 0);
  testing::FakeEventPump events;
  const OptimizeResult r = OptimizingCalc(m, events);
  EXPECT_EQ(r.outcome, OptimizeOutcome::Converged);
  for (std::int32_t i = 1; i <= 4; ++i) {
    for (std::int32_t j = 1; j <= 5; ++j) {
      EXPECT_NEAR(m.NodeValue(i, j), plane(j - 1.0, 4.0 - i), 1e-9);
    }
  }
}

TEST(OptimizingCalcAnalytic, LoadedValuesPlayNoPart) {
  MeshModel a =
      MakeModel({0, 1, 2}, {2, 1, 0}, {{0.5, 1.5, 3}, {1.5, 0.5, 5}}, 1, 1, 1, 1.5, 1e-9, 0);
  MeshModel b = a;
  b.NodeValue(2, 2) = -100;
  b.NodeBlank(2, 2) = 0;
  testing::FakeEventPump events;
  OptimizingCalc(a, events);
  OptimizingCalc(b, events);
  EXPECT_EQ(testing::NodeValues(a), testing::NodeValues(b));
  EXPECT_EQ(testing::NodeBlanks(b), std::vector<std::int32_t>(9, 0));
}

}  // namespace
}  // namespace ombrix
