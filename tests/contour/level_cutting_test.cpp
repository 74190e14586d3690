#include "contour/level_cutting.h"

#include <gtest/gtest.h>

#include <tuple>

namespace ombrix {
namespace {

// The cut points of every kind of cut are compared bit for bit with a slow reference by the
// contour drawing's random level loop; here are the cases random meshes do not reach.
TEST(LevelCutting, TheProductOfTheDifferencesDecides) {
  // (1e-200 - 0) * (-1e-200 - 0) underflows to -0: E1 counts as touching the level, yet neither
  // end equals it, so only the crossing on E2 is found and the triangle gives nothing.
  const LevelCut cut = CutTriangle({.Z = {0, 1e-200, -1e-200, 1}}, 0);
  EXPECT_EQ(cut.crossings, 1);
  EXPECT_EQ(cut.on_level, 0);
  EXPECT_EQ(cut.kind, CutKind::None);
  EXPECT_EQ(std::tuple(cut.crossing[1].a, cut.crossing[1].b), std::tuple(2, 3));
}

TEST(LevelCutting, HigherEndTakesTheSecondEndOnATie) {
  const TriangleRecord t{.Z = {0, 4, 4, 9}};
  EXPECT_EQ(HigherEnd(t, Crossing{0, 0, 1, 2}), 2);
  EXPECT_EQ(HigherEnd(t, Crossing{0, 0, 2, 1}), 1);
  EXPECT_EQ(HigherEnd(t, Crossing{0, 0, 3, 1}), 3);
}

}  // namespace
}  // namespace ombrix
