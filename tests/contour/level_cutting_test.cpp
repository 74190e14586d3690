#include "contour/level_cutting.h"

#include <gtest/gtest.h>

#include <tuple>

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

// A crossing's point and edge ends, comparable as a whole.
std::tuple<double, double, int, int> Of(const Crossing& c) {
  return {c.y, c.x, c.a, c.b};
}

constexpr double kL = 7;

// Coordinates chosen so that interpolating from the other end of an edge, or dividing before
// multiplying, gives a different double.
const std::array<double, 3> kY = {0.1, 0.7, 1.3};
const std::array<double, 3> kX = {2.9, 0.3, 21.3};

TEST(LevelCutting, TwoCrossingsOnE1AndE3WhicheverSideVertex1Lies) {
  for (const double d : {-1.0, 1.0}) {
    const TriangleRecord t = Tri(kY, kX, {kL + d, kL - d, kL - d});
    const LevelCut cut = CutTriangle(t, kL);
    EXPECT_EQ(cut.kind, CutKind::TwoCrossings);
    EXPECT_EQ(cut.crossings, 2);
    EXPECT_EQ(cut.on_level, 0);
    // E1 from vertex 2 (from vertex 1 it would be 0.4), E3 from vertex 1.
    EXPECT_EQ(Of(cut.crossing[1]), std::tuple(0.39999999999999997, 1.6, 1, 2));
    // 0.7000000000000001 from vertex 3.
    EXPECT_EQ(Of(cut.crossing[2]), std::tuple(0.7, 12.100000000000001, 1, 3));
    // Above the level: vertex 1 alone (a triangle) or vertices 2 and 3 (a quadrilateral).
    EXPECT_EQ(HigherEnd(t, cut.crossing[1]), d > 0 ? 1 : 2);
    EXPECT_EQ(HigherEnd(t, cut.crossing[2]), d > 0 ? 1 : 3);
  }
}

TEST(LevelCutting, UnevenValuesMultiplyBeforeDividing) {
  const TriangleRecord t = Tri({0.7, 0.2, 5.1}, {11.9, 0.3, 4.4}, {3.3, 8.1, 9.7});
  const LevelCut cut = CutTriangle(t, kL);
  ASSERT_EQ(cut.kind, CutKind::TwoCrossings);
  EXPECT_EQ(cut.crossing[1].y, 0.31458333333333327);
  EXPECT_EQ(cut.crossing[1].x, 2.9583333333333326);
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
  // E2 from vertex 3.
  EXPECT_EQ(Of(cut.crossing[1]), std::tuple(1.7999999999999998, 6.1000000000000005, 2, 3));
  for (const std::size_t k : {1u, 2u}) {
    EXPECT_EQ(cut.on_level_y[k], 0.1);
    EXPECT_EQ(cut.on_level_x[k], 2.9);
  }
  EXPECT_EQ(HigherEnd(t, cut.crossing[1]), 3);
}

TEST(LevelCutting, NothingWhenTheLevelOnlyTouchesOrMisses) {
  const LevelCut touch = CutTriangle(Tri(kY, kX, {kL, kL + 1, kL + 3}), kL);
  EXPECT_EQ(touch.kind, CutKind::None);
  EXPECT_EQ(touch.crossings, 0);
  EXPECT_EQ(touch.on_level, 2);
  const LevelCut miss = CutTriangle(Tri(kY, kX, {kL + 0.5, kL + 1, kL + 3}), kL);
  EXPECT_EQ(miss.kind, CutKind::None);
  EXPECT_EQ(miss.on_level, 0);
}

TEST(LevelCutting, VerticesOnTheLevelAreRecordedInEdgeOrder) {
  struct Case {
    std::array<double, 3> z;
    CutKind kind;
    std::vector<int> recorded;  // vertex numbers of the on-level records
  };
  const Case cases[] = {
      {{kL, kL, kL}, CutKind::Flat, {1, 2, 2, 3, 3, 1}},
      {{kL, kL, kL + 1}, CutKind::OneEdgeOnLevel, {1, 2, 2, 1}},  // E1: 1, 2; E2: 2; E3: 1
      {{kL + 1, kL, kL}, CutKind::OneEdgeOnLevel, {2, 2, 3, 3}},
      {{kL, kL - 2, kL}, CutKind::OneEdgeOnLevel, {1, 3, 3, 1}},
  };
  for (const Case& c : cases) {
    const LevelCut cut = CutTriangle(Tri(kY, kX, c.z), kL);
    EXPECT_EQ(cut.kind, c.kind) << c.z[0] << " " << c.z[1] << " " << c.z[2];
    EXPECT_EQ(cut.crossings, 0);
    ASSERT_EQ(cut.on_level, static_cast<int>(c.recorded.size()));
    for (std::size_t k = 1; k <= c.recorded.size(); ++k) {
      EXPECT_EQ(cut.on_level_y[k], kY[static_cast<std::size_t>(c.recorded[k - 1] - 1)]) << k;
      EXPECT_EQ(cut.on_level_x[k], kX[static_cast<std::size_t>(c.recorded[k - 1] - 1)]) << k;
    }
  }
}

TEST(LevelCutting, TheProductOfTheDifferencesDecides) {
  // (1e-200 - 0) * (-1e-200 - 0) underflows to -0: E1 counts as touching the level, yet neither
  // end equals it, so only the crossing on E2 is found and the triangle gives nothing.
  const LevelCut cut = CutTriangle(Tri(kY, kX, {1e-200, -1e-200, 1}), 0);
  EXPECT_EQ(cut.crossings, 1);
  EXPECT_EQ(cut.on_level, 0);
  EXPECT_EQ(cut.kind, CutKind::None);
  EXPECT_EQ(std::tuple(cut.crossing[1].a, cut.crossing[1].b), std::tuple(2, 3));
}

TEST(LevelCutting, HigherEndTakesTheSecondEndOnATie) {
  const TriangleRecord t = Tri(kY, kX, {4, 4, 9});
  EXPECT_EQ(HigherEnd(t, Crossing{0, 0, 1, 2}), 2);
  EXPECT_EQ(HigherEnd(t, Crossing{0, 0, 2, 1}), 1);
  EXPECT_EQ(HigherEnd(t, Crossing{0, 0, 3, 1}), 3);
}

}  // namespace
}  // namespace ombrix
