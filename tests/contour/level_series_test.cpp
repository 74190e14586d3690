#include "contour/level_series.h"

#include <gtest/gtest.h>

#include "fakes/error_capture.h"

#include "model/run_error.h"

namespace ombrix {
namespace {

LevelSeries Levels(double min, double max, std::int32_t interval) {
  return ChooseLevels(DataRange{min, max}, interval);
}

// --- Data range -------------------------------------------------------------------------------

TEST(DataRange, CoversValuedNodesOnly) {
  MeshModel m;
  AllocateMesh(m, 3, 2);
  const double values[2][3] = {{4.5, -1.25, 7}, {3, 12.5, 0}};
  for (int i = 1; i <= 2; ++i) {
    for (int j = 1; j <= 3; ++j)
      m.NodeValue(i, j) = values[i - 1][j - 1];
  }
  DataRange r = FindDataRange(m);
  EXPECT_EQ(r.min, -1.25);
  EXPECT_EQ(r.max, 12.5);
  // Blank nodes are left out whatever they store.
  m.NodeBlank(1, 2) = 1;
  m.NodeBlank(2, 2) = 1;
  r = FindDataRange(m);
  EXPECT_EQ(r.min, 0);
  EXPECT_EQ(r.max, 7);
}

TEST(DataRange, StartsFromTheFirstValuedNodeNotFromZero) {
  MeshModel m;
  AllocateMesh(m, 2, 2);
  m.NodeBlank(1, 1) = 1;  // a blank first node holding 0 must not pull the range to 0
  m.NodeValue(1, 2) = 8.5;
  m.NodeValue(2, 1) = 9.25;
  m.NodeValue(2, 2) = 8.75;
  DataRange r = FindDataRange(m);
  EXPECT_EQ(r.min, 8.5);
  EXPECT_EQ(r.max, 9.25);
  for (int i = 1; i <= 2; ++i) {
    for (int j = 1; j <= 2; ++j)
      m.NodeValue(i, j) = -3.5 - i - j;
  }
  m.NodeBlank(1, 1) = 0;
  r = FindDataRange(m);
  EXPECT_EQ(r.min, -7.5);
  EXPECT_EQ(r.max, -5.5);  // all negative: the maximum is not 0
}

TEST(DataRange, IgnoresTheMarginAroundTheMesh) {
  MeshModel m;
  AllocateMesh(m, 2, 2);
  m.NodeValue(1, 1) = 1;
  m.NodeValue(1, 2) = 2;
  m.NodeValue(2, 1) = 3;
  m.NodeValue(2, 2) = 4;
  m.NodeValue(0, 1) = 100;
  m.NodeValue(3, 3) = -100;
  m.NodeValue(-1, -1) = 1000;
  const DataRange r = FindDataRange(m);
  EXPECT_EQ(r.min, 1);
  EXPECT_EQ(r.max, 4);
}

TEST(DataRange, AllBlankGivesZeroZero) {
  MeshModel m;
  AllocateMesh(m, 2, 2);
  for (int i = 1; i <= 2; ++i) {
    for (int j = 1; j <= 2; ++j) {
      m.NodeBlank(i, j) = 1;
      m.NodeValue(i, j) = 5 + i;
    }
  }
  const DataRange r = FindDataRange(m);
  EXPECT_EQ(r.min, 0);
  EXPECT_EQ(r.max, 0);
}

// --- Level series -----------------------------------------------------------------------------

TEST(LevelSeries, IntervalOneRunsFromAboveTheMinimumToTheMaximumsIntegerPart) {
  const LevelSeries s = Levels(3.2, 17.9, 1);
  EXPECT_EQ(s.FirstLevel, 4);
  EXPECT_EQ(s.TopLevel, 17);
  EXPECT_EQ(s.LabelUnit, 5);
  EXPECT_EQ(LevelCount(s, 1), 14);
}

TEST(LevelSeries, AWholeMinimumStartsOneAbove) {
  const LevelSeries s = Levels(3, 17, 1);
  EXPECT_EQ(s.FirstLevel, 4);
  EXPECT_EQ(s.TopLevel, 17);
}

TEST(LevelSeries, NegativeValuesRoundTowardMinusInfinity) {
  const LevelSeries s = Levels(-2.5, -0.5, 1);
  EXPECT_EQ(s.FirstLevel, -2);  // integer part -3, plus 1
  EXPECT_EQ(s.TopLevel, -1);
  EXPECT_EQ(s.LabelUnit, 5);
  EXPECT_EQ(LevelCount(s, 1), 2);
}

TEST(LevelSeries, IntervalAboveOneMovesToTheNextMultipleStrictlyAbove) {
  EXPECT_EQ(Levels(4.5, 30, 5).FirstLevel, 10);  // 5 before rounding, 10 after
  EXPECT_EQ(Levels(3.2, 30, 5).FirstLevel, 5);   // 4 -> 5
  EXPECT_EQ(Levels(-3.5, 30, 5).FirstLevel, 0);  // -3 -> 0
  EXPECT_EQ(Levels(-5.5, 30, 5).FirstLevel, 0);  // -5 -> 0: strictly above
  EXPECT_EQ(Levels(-6.5, 30, 5).FirstLevel, -5);
  EXPECT_EQ(Levels(3.2, 30, 2).FirstLevel, 6);  // 4 -> 6
  const LevelSeries s = Levels(4.5, 30, 5);
  EXPECT_EQ(s.TopLevel, 30);
  EXPECT_EQ(LevelCount(s, 5), 5);  // 10, 15, 20, 25, 30
}

TEST(LevelSeries, IntervalsOfOneZeroOrBelowKeepTheFirstLevel) {
  for (const std::int32_t interval : {1, 0, -1, -5}) {
    EXPECT_EQ(Levels(4.5, 30, interval).FirstLevel, 5) << interval;
  }
}

TEST(LevelSeries, LabelUnitFollowsTheDigitsOfTheMaximum) {
  EXPECT_EQ(Levels(0, 9.5, 1).LabelUnit, 5);
  EXPECT_EQ(Levels(0, 99.9, 1).LabelUnit, 5);
  EXPECT_EQ(Levels(0, 100, 1).LabelUnit, 10);
  EXPECT_EQ(Levels(0, 999.9, 1).LabelUnit, 10);
  EXPECT_EQ(Levels(0, 1000, 1).LabelUnit, 100);
  EXPECT_EQ(Levels(0, 1234, 1).LabelUnit, 100);
  EXPECT_EQ(Levels(0, 123456, 1).LabelUnit, 10000);
  EXPECT_EQ(Levels(0, 999999999.5, 1).LabelUnit, 10000000);
  EXPECT_EQ(Levels(-500, -200, 1).LabelUnit, 5);  // a negative maximum has one digit
}

TEST(LevelSeries, MaximumOfOneBillionOrMoreOverflowsTheDivisor) {
  EXPECT_EQ(ErrorNumberOf([] { Levels(0, 1e9, 1); }), err::kOverflow);
  EXPECT_EQ(ErrorNumberOf([] { Levels(0, 2e9, 1); }), err::kOverflow);
  EXPECT_EQ(ErrorNumberOf([] { Levels(0, 999999999.5, 1); }), 0);
}

TEST(LevelSeries, ConstantFieldHasNoLevel) {
  const LevelSeries s = Levels(2.5, 2.5, 1);
  EXPECT_EQ(s.FirstLevel, 3);
  EXPECT_EQ(s.TopLevel, 2);
  EXPECT_EQ(LevelCount(s, 1), 0);
  EXPECT_EQ(LevelCount(s, 5), 0);
}

TEST(LevelCount, ZeroIntervalVisitsNothing) {
  EXPECT_EQ(LevelCount(Levels(3.2, 17.9, 0), 0), 0);
}

TEST(LevelCount, PositiveIntervalStopsAtTheLastLevelNotAboveTheTop) {
  LevelSeries s;
  s.FirstLevel = 4;
  s.TopLevel = 17;
  EXPECT_EQ(LevelCount(s, 1), 14);
  EXPECT_EQ(LevelCount(s, 3), 5);   // 4, 7, 10, 13, 16
  EXPECT_EQ(LevelCount(s, 13), 2);  // 4, 17
  EXPECT_EQ(LevelCount(s, 14), 1);
  s.FirstLevel = 17;
  EXPECT_EQ(LevelCount(s, 1), 1);
  s.FirstLevel = 18;
  EXPECT_EQ(LevelCount(s, 1), 0);
}

TEST(LevelCount, NegativeIntervalRunsWhileNotBelowTheTop) {
  LevelSeries s;
  s.FirstLevel = 4;
  s.TopLevel = 17;
  EXPECT_EQ(LevelCount(s, -1), 0);  // first below top: ends at once
  s.FirstLevel = 5;
  s.TopLevel = 5;
  EXPECT_EQ(LevelCount(s, -1), 1);  // first = top: exactly that level
  EXPECT_EQ(LevelCount(s, -7), 1);
  // A constant field between whole numbers has its first level one above the top.
  const LevelSeries c = Levels(2.5, 2.5, -1);
  EXPECT_EQ(LevelCount(c, -1), 2);  // 3 and 2
  EXPECT_EQ(LevelCount(c, -2), 1);
}

TEST(LevelCount, ExtremeLevelsDoNotOverflowTheCount) {
  LevelSeries s;
  s.FirstLevel = INT32_MIN;
  s.TopLevel = INT32_MAX;
  EXPECT_EQ(LevelCount(s, 1), std::int64_t{1} << 32);
  EXPECT_EQ(LevelCount(s, INT32_MAX), 3);  // MIN, -1, MAX - 1
  s.FirstLevel = INT32_MAX;
  s.TopLevel = INT32_MIN;
  EXPECT_EQ(LevelCount(s, INT32_MIN), 2);  // MAX, -1
}

}  // namespace
}  // namespace ombrix
