#include "contour/level_series.h"

#include <gtest/gtest.h>

#include "fakes/error_capture.h"

#include "model/run_error.h"

namespace ombrix {
namespace {

LevelSeries Levels(double min, double max, std::int32_t interval) {
  return ChooseLevels(DataRange{min, max}, interval);
}

// Ranges of meshes with blanks are compared with a scan by the contour drawing's level loop.
TEST(DataRange, AllBlankGivesZeroZero) {
  MeshModel m;
  AllocateMesh(m, 2, 2);
  for (int k = 0; k < 4; ++k) {
    m.NodeBlank(1 + k / 2, 1 + k % 2) = 1;
    m.NodeValue(1 + k / 2, 1 + k % 2) = 5 + k;
  }
  const DataRange r = FindDataRange(m);
  EXPECT_EQ(std::pair(r.min, r.max), std::pair(0.0, 0.0));
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
  struct Case {
    std::int32_t first, top, interval;
    std::int64_t count;
  };
  // 4, 7, 10, 13, 16; first beyond top ends at once; MIN, -1, MAX - 1; MAX, -1.
  const Case cases[] = {{4, 17, 3, 5},
                        {4, 17, 13, 2},
                        {4, 17, 14, 1},
                        {4, 17, -1, 0},
                        {18, 17, 1, 0},
                        {5, 5, -7, 1},
                        {INT32_MIN, INT32_MAX, 1, 1LL << 32},
                        {INT32_MIN, INT32_MAX, INT32_MAX, 3},
                        {INT32_MAX, INT32_MIN, INT32_MIN, 2}};
  for (const Case& c : cases) {
    EXPECT_EQ(LevelCount(LevelSeries{c.first, c.top}, c.interval), c.count)
        << c.first << " " << c.top << " " << c.interval;
  }
}

}  // namespace
}  // namespace ombrix
