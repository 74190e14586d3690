#include "contour/colour_scale.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "fakes/error_capture.h"
#include "model/modes.h"
#include "model/run_error.h"

namespace ombrix {
namespace {

class ColourScale : public ::testing::Test {
 protected:
  void Relative(double data_min, double data_max) {
    m.ColorIndexMode = kRelativeColorIndex;
    m.DataMin = data_min;
    m.DataMax = data_max;
    SetColor(m, w);
  }
  void Absolute(double absolute_min, double absolute_max, std::int32_t mode = kAbsoluteColorIndex) {
    m.ColorIndexMode = mode;
    w.AbsoluteMin = absolute_min;
    w.AbsoluteMax = absolute_max;
    SetColor(m, w);
  }
  std::vector<double> Levels(std::initializer_list<int> steps) const {
    std::vector<double> out;
    for (const int k : steps)
      out.push_back(w.ColorLevel(k));
    return out;
  }

  MeshModel m;
  MainWindowState w;
};

// The thresholds of 3.2 .. 17.9 and the step count are pinned by the legend's printed labels.

TEST_F(ColourScale, NegativeThresholdsAreCutTowardMinusInfinity) {
  Relative(-20.5, -3.2);  // low -20, high -4, step 1
  EXPECT_EQ(m.ColorStep, 1);
  EXPECT_EQ(Levels({0, 1}), (std::vector<double>{-4, -5}));
  Relative(-21.5, -3.2);  // low -21, high -4, step 1.0625
  EXPECT_EQ(m.ColorStep, 1.0625);
  // -50.625 tenths go down to -51, not up to -50; -61.25 to -62.
  EXPECT_EQ(Levels({1, 2, 16}), (std::vector<double>{-5.1, -6.2, -21}));
  Relative(-2.5, 13.5);  // a negative minimum starts one above its integer part: low -2
  EXPECT_EQ(w.ColorLevel(16), -2);
}

TEST_F(ColourScale, AbsoluteBoundsRoundHalfUpForAnyNonZeroModeIgnoringTheData) {
  m.DataMin = 3.2;
  m.DataMax = 17.9;
  Absolute(0.5, 99.4, 7);  // low 1, high 99
  EXPECT_EQ(m.ColorStep, 6.125);
  EXPECT_EQ(Levels({0, 1, 16}), (std::vector<double>{99, 92.8, 1}));  // 92.875 cut
  Absolute(2.5, 18.5);  // halves go up: 3 and 19, not to the even neighbours 2 and 18
  EXPECT_EQ(Levels({0, 16}), (std::vector<double>{19, 3}));
  Absolute(-1.5, -0.5);  // -1 and 0
  EXPECT_EQ(Levels({0, 16}), (std::vector<double>{0, -1}));
  Relative(3.2, 17.9);  // relative mode ignores the typed bounds
  EXPECT_EQ(w.ColorLevel(0), 17);
  // A range wider than 32 bits is refused.
  EXPECT_EQ(ErrorNumberOf([&] { Absolute(-2e9, 2e9); }), err::kOverflow);
}

TEST_F(ColourScale, InvertedRangeGivesRisingThresholds) {
  Relative(3.2, 3.9);  // low 4 above high 3
  EXPECT_EQ(m.ColorStep, -0.0625);
  // 30.625 and 31.25 tenths cut to 30 and 31.
  EXPECT_EQ(Levels({0, 1, 2, 8, 16}), (std::vector<double>{3, 3, 3.1, 3.5, 4}));
  EXPECT_EQ(ColorIndexOf(w, 3.01), 0);  // everything above 3 takes index 0
  EXPECT_EQ(ColorIndexOf(w, 4.5), 0);
  EXPECT_EQ(ColorIndexOf(w, 3), 17);
}

TEST_F(ColourScale, EntriesPastTheLastSwatchAreBlack) {
  // Entries 0 to 17 are pinned by the legend's swatch colours.
  Relative(3.2, 17.9);
  for (int k = 18; k <= 20; ++k)
    EXPECT_EQ(ColorOfIndex(m, k), RGB(0, 0, 0)) << k;
}

TEST_F(ColourScale, IndexOfAValueIsTheFirstThresholdBelowIt) {
  Relative(3.2, 17.9);
  EXPECT_EQ(ColorIndexOf(w, 17.5), 0);
  EXPECT_EQ(ColorIndexOf(w, 17), 1);  // not below 17: the next threshold, 16.1, is
  EXPECT_EQ(ColorIndexOf(w, 16.1), 2);
  EXPECT_EQ(ColorIndexOf(w, 4.0001), 16);
  EXPECT_EQ(ColorIndexOf(w, 4), 17);
  EXPECT_EQ(ColorIndexOf(w, -100), 17);
}

}  // namespace
}  // namespace ombrix
