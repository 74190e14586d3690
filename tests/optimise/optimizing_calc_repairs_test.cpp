// Refused inputs, the sweep limit, overflow and cancelling: each leaves the mesh as it was.

#include <gtest/gtest.h>

#include <string>

#include "optimise/initial_values.h"
#include "optimise_fixture.h"

namespace ombrix {
namespace {

using testing::Failure;
using testing::MakeModel;

TEST(OptimizingCalcRepairs, NothingToFitIsRefusedBeforeAnyWork) {
  const MeshModel cases[] = {
      MakeModel({0, 1, 2}, {2, 1, 0}, {}),  // no points
      MakeModel({0, 1, 2}, {2, 1, 0}, {{5, 1, 3}, {1, -0.5, 2}}, 1, 1, 1, 1.5, 1e-6, 1),  // all out
      MakeModel({0, 1, 2}, {1}, {{1, 1, 3}}),  // one row: no cells
  };
  for (const MeshModel& m : cases) {
    std::int32_t sweeps = 0;
    Failure(m, {.before_sweeps = [&] { ++sweeps; }});
    EXPECT_EQ(sweeps, 0);
  }
  EXPECT_NE(Failure(cases[1]).description().find("セル"), std::string::npos);  // names the cause
}

TEST(OptimizingCalcRepairs, SlowRunStopsAtTheSweepLimitUnchanged) {
  // A tiny relaxation factor moves the values by a millionth of their change a sweep, so the
  // relative change never reaches a tiny limit.
  std::int32_t last = 0;
  const RunError e = Failure(
      MakeModel({0, 1}, {1, 0}, {{0.25, 0.5, 3}, {0.75, 0.25, 5}}, 1, 0, 1, 1e-6, 1e-300, 0),
      {.on_sweep = [&](std::int32_t sweep, double) { last = sweep; }});
  EXPECT_NE(e.description().find("1000000"), std::string::npos);
  EXPECT_EQ(last, kSweepLimit);
}

TEST(OptimizingCalcRepairs, CancelOrOverflowStopsTheRunUnchanged) {
  MeshModel m =
      MakeModel({0, 1, 2}, {2, 1, 0}, {{0.5, 1.5, 3}, {1.5, 0.5, 5}}, 1, 1, 1, 1e-3, 1e-12, 0);
  testing::FakeEventPump events;
  events.on_process = [&] { events.cancel = events.processed >= 4; };
  std::int32_t sweeps = 0;
  const OptimizeResult r =
      OptimizingCalc(m, events, {.on_sweep = [&](std::int32_t, double) { ++sweeps; }});
  EXPECT_EQ(r.outcome, OptimizeOutcome::Cancelled);
  EXPECT_EQ(r.SweepCount, 3);
  EXPECT_EQ(sweeps, 3);
  EXPECT_TRUE(testing::Untouched(m));
  m.RelaxationFactor = 3.5;  // diverges until the values overflow
  EXPECT_EQ(Failure(m).number(), err::kOverflow);
}

// OptimizingCalc refuses a run without points before it starts; the starting values on their
// own divide by the point count and refuse a division by none in both modes.
TEST(OptimizingCalcRepairs, StartingValuesWithoutPointsAreAnError) {
  for (const std::int32_t mode : {0, 1}) {
    const MeshModel m = MakeModel({0, 1, 2}, {2, 1, 0}, {}, 1, 1, 1, 1.5, 1e-9, mode);
    EXPECT_THROW(InitialValues(m, FindPointCells(m)), RunError) << mode;
  }
}

}  // namespace
}  // namespace ombrix
