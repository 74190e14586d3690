#include "contour/level_cutting.h"

#include <gtest/gtest.h>

namespace ombrix {
namespace {

TriangleRecord Tri(std::array<double, 3> y, std::array<double, 3> x, std::array<double, 3> z) {
  TriangleRecord t;
  for (std::size_t v = 1; v <= 3; ++v) {
    t.Y[v] = y[v - 1];
    t.X[v] = x[v - 1];
    t.Z[v] = z[v - 1];
  }
  return t;
}

constexpr double kL = 7;

// Coordinates chosen so that interpolating from the other end of an edge, or dividing before
// multiplying, gives a different double.
const std::array<double, 3> kY = {0.1, 0.7, 1.3};
const std::array<double, 3> kX = {2.9, 0.3, 21.3};

TEST(LevelCutting, LowFirstVertexCrossesE1AndE3) {
  const TriangleRecord t = Tri(kY, kX, {kL - 1, kL + 1, kL + 1});
  const LevelCut cut = CutTriangle(t, kL);
  EXPECT_EQ(cut.kind, CutKind::TwoCrossings);
  EXPECT_EQ(cut.crossings, 2);
  EXPECT_EQ(cut.on_level, 0);
  // E1 from vertex 2: (0.1 - 0.7) * (7 - 8) / (6 - 8) + 0.7.
  EXPECT_EQ(cut.crossing[1].y, 0.39999999999999997);
  EXPECT_NE(cut.crossing[1].y, 0.4);  // what the interpolation from vertex 1 gives
  EXPECT_EQ(cut.crossing[1].x, 1.6);
  EXPECT_EQ(cut.crossing[1].a, 1);
  EXPECT_EQ(cut.crossing[1].b, 2);
  // E3 from vertex 1: (1.3 - 0.1) * (7 - 6) / (8 - 6) + 0.1.
  EXPECT_EQ(cut.crossing[2].y, 0.7);
  EXPECT_NE(cut.crossing[2].y, 0.7000000000000001);  // from vertex 3
  EXPECT_EQ(cut.crossing[2].x, 12.100000000000001);
  EXPECT_EQ(cut.crossing[2].a, 1);
  EXPECT_EQ(cut.crossing[2].b, 3);
  // The part above the level has vertices 2 and 3: a quadrilateral.
  EXPECT_EQ(HigherEnd(t, cut.crossing[1]), 2);
  EXPECT_EQ(HigherEnd(t, cut.crossing[2]), 3);
}

TEST(LevelCutting, HighFirstVertexCrossesTheSameEdges) {
  const TriangleRecord t = Tri(kY, kX, {kL + 1, kL - 1, kL - 1});
  const LevelCut cut = CutTriangle(t, kL);
  EXPECT_EQ(cut.kind, CutKind::TwoCrossings);
  EXPECT_EQ(cut.crossings, 2);
  EXPECT_EQ(cut.on_level, 0);
  EXPECT_EQ(cut.crossing[1].y, 0.39999999999999997);
  EXPECT_EQ(cut.crossing[1].x, 1.6);
  EXPECT_EQ(cut.crossing[2].y, 0.7);
  EXPECT_EQ(cut.crossing[2].x, 12.100000000000001);
  // Only vertex 1 lies above: a triangle.
  EXPECT_EQ(HigherEnd(t, cut.crossing[1]), 1);
  EXPECT_EQ(HigherEnd(t, cut.crossing[2]), 1);
}

TEST(LevelCutting, UnevenValuesMultiplyBeforeDividing) {
  const TriangleRecord t = Tri({0.7, 0.2, 5.1}, {11.9, 0.3, 4.4}, {3.3, 8.1, 9.7});
  const LevelCut cut = CutTriangle(t, kL);
  ASSERT_EQ(cut.kind, CutKind::TwoCrossings);
  // E1: (0.7 - 0.2) * (7 - 8.1) / (3.3 - 8.1) + 0.2, left to right.
  EXPECT_EQ(cut.crossing[1].y, 0.31458333333333327);
  EXPECT_EQ(cut.crossing[1].x, 2.9583333333333326);
  // E3: (5.1 - 0.7) * (7 - 3.3) / (9.7 - 3.3) + 0.7.
  EXPECT_EQ(cut.crossing[2].y, 3.2437499999999995);
  EXPECT_EQ(cut.crossing[2].x, 7.5640625);
  EXPECT_NE(cut.crossing[2].y, (5.1 - 0.7) * ((7 - 3.3) / (9.7 - 3.3)) + 0.7);
}

TEST(LevelCutting, VertexOnLevelAndOppositeEdgeCrossed) {
  const TriangleRecord t = Tri({0.1, 0.7, 2.9}, {2.9, 0.3, 11.9}, {kL, kL - 2, kL + 2});
  const LevelCut cut = CutTriangle(t, kL);
  EXPECT_EQ(cut.kind, CutKind::CrossingAndVertex);
  EXPECT_EQ(cut.crossings, 1);
  EXPECT_EQ(cut.on_level, 2);  // vertex 1, by E1 and again by E3
  // E2 from vertex 3: (0.7 - 2.9) * (7 - 9) / (5 - 9) + 2.9.
  EXPECT_EQ(cut.crossing[1].y, 1.7999999999999998);
  EXPECT_EQ(cut.crossing[1].x, 6.1000000000000005);
  EXPECT_EQ(cut.crossing[1].a, 2);
  EXPECT_EQ(cut.crossing[1].b, 3);
  EXPECT_EQ(cut.on_level_y[1], 0.1);
  EXPECT_EQ(cut.on_level_x[1], 2.9);
  EXPECT_EQ(cut.on_level_y[2], 0.1);
  EXPECT_EQ(cut.on_level_x[2], 2.9);
  EXPECT_EQ(HigherEnd(t, cut.crossing[1]), 3);
}

TEST(LevelCutting, VertexOnLevelWithTheRestAboveGivesNothing) {
  const LevelCut cut = CutTriangle(Tri(kY, kX, {kL, kL + 1, kL + 3}), kL);
  EXPECT_EQ(cut.kind, CutKind::None);
  EXPECT_EQ(cut.crossings, 0);
  EXPECT_EQ(cut.on_level, 2);
}

TEST(LevelCutting, LevelMissingTheTriangleGivesNothing) {
  const LevelCut cut = CutTriangle(Tri(kY, kX, {kL + 0.5, kL + 1, kL + 3}), kL);
  EXPECT_EQ(cut.kind, CutKind::None);
  EXPECT_EQ(cut.crossings, 0);
  EXPECT_EQ(cut.on_level, 0);
}

TEST(LevelCutting, FlatTriangleRecordsEveryVertexTwiceInEdgeOrder) {
  const LevelCut cut = CutTriangle(Tri(kY, kX, {kL, kL, kL}), kL);
  EXPECT_EQ(cut.kind, CutKind::Flat);
  EXPECT_EQ(cut.crossings, 0);
  ASSERT_EQ(cut.on_level, 6);
  // E1: 1 then 2; E2: 2 then 3; E3: 3 then 1.
  const int order[7] = {0, 1, 2, 2, 3, 3, 1};
  for (int k = 1; k <= 6; ++k) {
    EXPECT_EQ(cut.on_level_y[static_cast<std::size_t>(k)], kY[order[k] - 1]) << k;
    EXPECT_EQ(cut.on_level_x[static_cast<std::size_t>(k)], kX[order[k] - 1]) << k;
  }
}

TEST(LevelCutting, TwoVerticesOnLevelMakeOneEdgeOnLevel) {
  struct Case {
    std::array<double, 3> z;
    std::array<int, 4> recorded;  // vertex numbers of on-level records 1..4
  };
  const Case cases[] = {
      {{kL, kL, kL + 1}, {1, 2, 2, 1}},  // E1: 1, 2; E2: 2; E3: 1
      {{kL, kL, kL - 4}, {1, 2, 2, 1}},
      {{kL + 1, kL, kL}, {2, 2, 3, 3}},  // E1: 2; E2: 2, 3; E3: 3
      {{kL, kL - 2, kL}, {1, 3, 3, 1}},  // E1: 1; E2: 3; E3: 3, 1
  };
  for (const Case& c : cases) {
    const LevelCut cut = CutTriangle(Tri(kY, kX, c.z), kL);
    EXPECT_EQ(cut.kind, CutKind::OneEdgeOnLevel) << c.z[0] << " " << c.z[1] << " " << c.z[2];
    EXPECT_EQ(cut.crossings, 0);
    ASSERT_EQ(cut.on_level, 4);
    for (int k = 1; k <= 4; ++k) {
      EXPECT_EQ(cut.on_level_y[static_cast<std::size_t>(k)], kY[c.recorded[k - 1] - 1]) << k;
      EXPECT_EQ(cut.on_level_x[static_cast<std::size_t>(k)], kX[c.recorded[k - 1] - 1]) << k;
    }
  }
}

TEST(LevelCutting, HalfwayCrossingOnE1IsComputedFromVertex2) {
  const TriangleRecord t = Tri(kY, kX, {0, 10, 10});
  const LevelCut cut = CutTriangle(t, 5);
  ASSERT_EQ(cut.kind, CutKind::TwoCrossings);
  // (0.1 - 0.7) * (5 - 10) / (0 - 10) + 0.7; from vertex 1 it would be 0.4.
  EXPECT_EQ(cut.crossing[1].y, 0.39999999999999997);
  EXPECT_EQ(cut.crossing[1].x, 1.6);
  EXPECT_EQ(cut.crossing[1].a, 1);
  EXPECT_EQ(cut.crossing[1].b, 2);
  // E3 from vertex 1: (1.3 - 0.1) * 5 / 10 + 0.1.
  EXPECT_EQ(cut.crossing[2].y, 0.7);
  EXPECT_EQ(cut.crossing[2].x, 12.100000000000001);
}

TEST(LevelCutting, LevelAtAFractionalValueCutsExactly) {
  const LevelCut cut = CutTriangle(Tri(kY, kX, {-2.5, 0.5, 0.5}), -1);
  ASSERT_EQ(cut.kind, CutKind::TwoCrossings);
  EXPECT_EQ(cut.crossing[1].y, (0.1 - 0.7) * (-1 - 0.5) / (-2.5 - 0.5) + 0.7);
  EXPECT_EQ(cut.crossing[2].y, (1.3 - 0.1) * (-1 - -2.5) / (0.5 - -2.5) + 0.1);
}

TEST(LevelCutting, TheProductOfTheDifferencesDecides) {
  // (1e-200 - 0) * (-1e-200 - 0) underflows to -0: E1 counts as touching the level, yet neither
  // end equals it, so only the crossing on E2 is found and the triangle gives nothing.
  const LevelCut cut = CutTriangle(Tri(kY, kX, {1e-200, -1e-200, 1}), 0);
  EXPECT_EQ(cut.crossings, 1);
  EXPECT_EQ(cut.on_level, 0);
  EXPECT_EQ(cut.kind, CutKind::None);
  EXPECT_EQ(cut.crossing[1].a, 2);
  EXPECT_EQ(cut.crossing[1].b, 3);
}

TEST(LevelCutting, HigherEndTakesTheSecondEndOnATie) {
  const TriangleRecord t = Tri(kY, kX, {4, 4, 9});
  EXPECT_EQ(HigherEnd(t, Crossing{0, 0, 1, 2}), 2);
  EXPECT_EQ(HigherEnd(t, Crossing{0, 0, 2, 1}), 1);
  EXPECT_EQ(HigherEnd(t, Crossing{0, 0, 1, 3}), 3);
  EXPECT_EQ(HigherEnd(t, Crossing{0, 0, 3, 1}), 3);
}

}  // namespace
}  // namespace ombrix
