#include "contour/level_series.h"

#include <gtest/gtest.h>

#include "fakes/error_capture.h"

#include "model/run_error.h"

namespace ombrix {
namespace {

LevelSeries Levels(double min, double max, std::int32_t interval) {
  return ChooseLevels(DataRange{min, max}, interval);
}

// The range of meshes with blank nodes (holding 0) and values of either sign is compared with
// a scan of the valued nodes by the contour drawing's random level loop.
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

TEST(LevelSeries, FirstTopAndCount) {
  struct Case {
    double min, max;
    std::int32_t interval, first, top;
    std::int64_t count;
  };
  const Case cases[] = {
      {3.2, 17.9, 1, 4, 17, 14},  {3, 17, 1, 4, 17, 14},   // a whole minimum starts one above
      {-2.5, -0.5, 1, -2, -1, 2},                          // toward minus infinity
      {4.5, 30, 5, 10, 30, 5},    {3.2, 30, 5, 5, 30, 6},  // the next multiple strictly above
      {-3.5, 30, 5, 0, 30, 7},    {-5.5, 30, 5, 0, 30, 7}, {-6.5, 30, 5, -5, 30, 8},
      {3.2, 30, 2, 6, 30, 13},    {4.5, 30, 0, 5, 30, 0},  {4.5, 30, -5, 5, 30, 0},
      {2.5, 2.5, 1, 3, 2, 0},     {2.5, 2.5, -1, 3, 2, 2},  // a constant field
  };
  for (const Case& c : cases) {
    const LevelSeries s = Levels(c.min, c.max, c.interval);
    EXPECT_EQ(s.FirstLevel, c.first) << c.min << " " << c.max << " " << c.interval;
    EXPECT_EQ(s.TopLevel, c.top) << c.min << " " << c.max;
    EXPECT_EQ(LevelCount(s, c.interval), c.count) << c.min << " " << c.max << " " << c.interval;
  }
}

TEST(LevelSeries, LabelUnitFollowsTheDigitsOfTheMaximum) {
  const std::pair<double, std::int32_t> cases[] = {{9.5, 5},
                                                   {99.9, 5},
                                                   {100, 10},
                                                   {999.9, 10},
                                                   {1000, 100},
                                                   {123456, 10000},
                                                   {999999999.5, 10000000},
                                                   {-200, 5}};
  for (const auto& [max, unit] : cases)
    EXPECT_EQ(Levels(-500, max, 1).LabelUnit, unit) << max;
  EXPECT_EQ(ErrorNumberOf([] { Levels(0, 1e9, 1); }), err::kOverflow);
}

TEST(LevelCount, StepsInEitherDirectionWithoutOverflow) {
  LevelSeries s;
  s.FirstLevel = 4;
  s.TopLevel = 17;
  EXPECT_EQ(LevelCount(s, 3), 5);  // 4, 7, 10, 13, 16
  EXPECT_EQ(LevelCount(s, 13), 2);
  EXPECT_EQ(LevelCount(s, 14), 1);
  EXPECT_EQ(LevelCount(s, -1), 0);  // first below top: ends at once
  s.FirstLevel = 18;
  EXPECT_EQ(LevelCount(s, 1), 0);
  s.FirstLevel = s.TopLevel = 5;
  EXPECT_EQ(LevelCount(s, -7), 1);
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
