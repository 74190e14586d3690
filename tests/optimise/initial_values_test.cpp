// Unit tests of the optimiser's starting values on a 3 x 3 mesh. The expected values are
// written as literal arithmetic in the defined order of evaluation, so they are compared bit
// for bit.
//
// Mesh: columns at x = 0, 1, 2, rows at y = 2, 1, 0. Cells: (1, 1) x 0..1, y 2..1;
// (1, 2) x 1..2, y 2..1; (2, 1) x 0..1, y 1..0; (2, 2) x 1..2, y 1..0.
// Smoothing pass, rows then columns, in place:
//   T(i, j) = (U + W + E + SE + 4 * own) / 8, U = T(i - 1, j), W = T(i, j - 1) (already
//   smoothed), E = S(i, j + 1), SE = S(i + 1, j + 1), outside the mesh 0.
// With the zeros left out (adding 0 changes nothing):
//   T11 = (S12 + S22 + 4 S11) / 8           T12 = (T11 + S13 + S23 + 4 S12) / 8
//   T13 = (T12 + 4 S13) / 8                 T21 = (T11 + S22 + S32 + 4 S21) / 8
//   T22 = (T12 + T21 + S23 + S33 + 4 S22) / 8
//   T23 = (T13 + T22 + 4 S23) / 8           T31 = (T21 + S32 + 4 S31) / 8
//   T32 = (T22 + T31 + S33 + 4 S32) / 8     T33 = (T23 + T32 + 4 S33) / 8

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "model/mesh_model.h"
#include "model/run_error.h"
#include "optimise/initial_values.h"
#include "optimise/point_cells.h"
#include "optimise_fixture.h"

namespace ombrix {
namespace {

using testing::MakeModel;
using testing::TestPoint;

using Grid = std::array<std::array<double, 3>, 3>;  // [row - 1][column - 1]

MeshModel Mesh3x3(const std::vector<TestPoint>& points, std::int32_t mode) {
  return MakeModel({0, 1, 2}, {2, 1, 0}, points, 1, 1, 1, 1.5, 1e-9, mode);
}

std::vector<double> Start(const MeshModel& m) {
  return InitialValues(m, FindPointCells(m));
}

void ExpectGrid(const std::vector<double>& got, const Grid& expected) {
  ASSERT_EQ(got.size(), 9u);
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) {
      EXPECT_EQ(got[i * 3 + j], expected[i][j]) << "node (" << i + 1 << ", " << j + 1 << ")";
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Mode 1: the overall mean.

TEST(InitialValuesMode1, EveryNodeStartsAtTheMeanOfAllPointsOutsideOnesIncluded) {
  // Point 2 lies outside the mesh but is part of the mean.
  const MeshModel m = Mesh3x3({{0.5, 1.5, 1}, {5, 5, 2}, {1.5, 0.5, 4}}, 1);
  const double mean = (1.0 + 2.0 + 4.0) / 3.0;
  ExpectGrid(Start(m), {{{mean, mean, mean}, {mean, mean, mean}, {mean, mean, mean}}});
}

TEST(InitialValuesMode1, APointInSeveralCellsCountsOnce) {
  // (1, 1) is the inner node, in all four cells; mode 1 sums over points, not over cells.
  const MeshModel m = Mesh3x3({{1, 1, 1}, {0.5, 0.5, 5}}, 1);
  ASSERT_EQ(FindPointCells(m).size(), 5u);
  ExpectGrid(Start(m), {{{3, 3, 3}, {3, 3, 3}, {3, 3, 3}}});
}

TEST(InitialValuesMode1, NoPointIsAnError) {
  const MeshModel m = Mesh3x3({}, 1);
  EXPECT_THROW(Start(m), RunError);
}

// ---------------------------------------------------------------------------------------------
// Mode 0: the weighted five-point mean.

TEST(InitialValuesMode0, ANodeTouchedOnceStartsFromTheMeanNotThePointValue) {
  // Point 1 (value 8) in cell (1, 1) touches its four corners once each; point 2 (value 0) is
  // outside. total = 8, M = 2, mean = 4, so every node enters the smoothing with 4 (with the
  // point's value the corners would enter with 8).
  const MeshModel m = Mesh3x3({{0.5, 1.5, 8}, {5, 5, 0}}, 0);
  const double c = 4.0;
  const double t11 = (c + c + 4 * c) / 8;
  const double t12 = (t11 + c + c + 4 * c) / 8;
  const double t13 = (t12 + 4 * c) / 8;
  const double t21 = (t11 + c + c + 4 * c) / 8;
  const double t22 = (t12 + t21 + c + c + 4 * c) / 8;
  const double t23 = (t13 + t22 + 4 * c) / 8;
  const double t31 = (t21 + c + 4 * c) / 8;
  const double t32 = (t22 + t31 + c + 4 * c) / 8;
  const double t33 = (t23 + t32 + 4 * c) / 8;
  EXPECT_EQ(t11, 3.0);
  ExpectGrid(Start(m), {{{t11, t12, t13}, {t21, t22, t23}, {t31, t32, t33}}});
}

TEST(InitialValuesMode0, TwoHitsGiveTheMeanOfTheTwoValues) {
  // Point 1 (2) in cell (1, 1), point 2 (6) in cell (1, 2), point 3 outside. Nodes (1, 2) and
  // (2, 2) are hit twice: (2 + 6) / 2 = 4. Every other node has one hit or none: the mean
  // (2 + 6) / 3.
  const MeshModel m = Mesh3x3({{0.5, 1.5, 2}, {1.5, 1.5, 6}, {5, 5, 0}}, 0);
  const double a = (2.0 + 6.0) / 3.0;
  const double two = (2.0 + 6.0) / 2.0;
  // S = {{a, two, a}, {a, two, a}, {a, a, a}}.
  const double t11 = (two + two + 4 * a) / 8;
  const double t12 = (t11 + a + a + 4 * two) / 8;
  const double t13 = (t12 + 4 * a) / 8;
  const double t21 = (t11 + two + a + 4 * a) / 8;
  const double t22 = (t12 + t21 + a + a + 4 * two) / 8;
  const double t23 = (t13 + t22 + 4 * a) / 8;
  const double t31 = (t21 + a + 4 * a) / 8;
  const double t32 = (t22 + t31 + a + 4 * a) / 8;
  const double t33 = (t23 + t32 + 4 * a) / 8;
  ExpectGrid(Start(m), {{{t11, t12, t13}, {t21, t22, t23}, {t31, t32, t33}}});
}

TEST(InitialValuesMode0, APointOutsideTheMeshCountsInMButNotInTheTotal) {
  // Points 1 (3) and 3 (5) in cell (1, 1): its corners hit twice, (3 + 5) / 2 = 4. Point 2
  // (1000) is outside: mean = (3 + 5) / 3, not (3 + 1000 + 5) / 3 and not (3 + 5) / 2.
  const MeshModel m = Mesh3x3({{0.5, 1.5, 3}, {-1, 1, 1000}, {0.25, 1.25, 5}}, 0);
  const double a = (3.0 + 5.0) / 3.0;
  // S = {{4, 4, a}, {4, 4, a}, {a, a, a}}.
  const double t11 = (4.0 + 4.0 + 4 * 4.0) / 8;
  const double t12 = (t11 + a + a + 4 * 4.0) / 8;
  const double t13 = (t12 + 4 * a) / 8;
  const double t21 = (t11 + 4.0 + a + 4 * 4.0) / 8;
  const double t22 = (t12 + t21 + a + a + 4 * 4.0) / 8;
  const double t23 = (t13 + t22 + 4 * a) / 8;
  const double t31 = (t21 + a + 4 * a) / 8;
  const double t32 = (t22 + t31 + a + 4 * a) / 8;
  const double t33 = (t23 + t32 + 4 * a) / 8;
  ExpectGrid(Start(m), {{{t11, t12, t13}, {t21, t22, t23}, {t31, t32, t33}}});
}

TEST(InitialValuesMode0, APointOnASharedSideAddsItsValueOncePerCell) {
  // (1, 1.5) is on the side between cells (1, 1) and (1, 2): total = 6 + 6 = 12, M = 1, so the
  // mean is 12. Nodes (1, 2) and (2, 2) are hit twice with 6: (6 + 6) / 2 = 6. The others have
  // one hit or none: 12.
  const MeshModel m = Mesh3x3({{1, 1.5, 6}}, 0);
  ASSERT_EQ(FindPointCells(m).size(), 2u);
  const double mean = 12.0;
  const double two = 6.0;
  // S = {{12, 6, 12}, {12, 6, 12}, {12, 12, 12}}.
  const double t11 = (two + two + 4 * mean) / 8;
  const double t12 = (t11 + mean + mean + 4 * two) / 8;
  const double t13 = (t12 + 4 * mean) / 8;
  const double t21 = (t11 + two + mean + 4 * mean) / 8;
  const double t22 = (t12 + t21 + mean + mean + 4 * two) / 8;
  const double t23 = (t13 + t22 + 4 * mean) / 8;
  const double t31 = (t21 + mean + 4 * mean) / 8;
  const double t32 = (t22 + t31 + mean + 4 * mean) / 8;
  const double t33 = (t23 + t32 + 4 * mean) / 8;
  EXPECT_EQ(t11, 7.5);
  ExpectGrid(Start(m), {{{t11, t12, t13}, {t21, t22, t23}, {t31, t32, t33}}});
}

TEST(InitialValuesMode0, APointOnTheInnerNodeAddsItsValueOncePerCell) {
  // (1, 1) is the inner node, in all four cells: total = 4 * 2 = 8, M = 1, mean 8. The inner
  // node has four hits, the side midpoints two (all with 2); the corners one: the mean.
  const MeshModel m = Mesh3x3({{1, 1, 2}}, 0);
  ASSERT_EQ(FindPointCells(m).size(), 4u);
  // S = {{8, 2, 8}, {2, 2, 2}, {8, 2, 8}}.
  const double t11 = (2.0 + 2.0 + 4 * 8.0) / 8;
  const double t12 = (t11 + 8.0 + 2.0 + 4 * 2.0) / 8;
  const double t13 = (t12 + 4 * 8.0) / 8;
  const double t21 = (t11 + 2.0 + 2.0 + 4 * 2.0) / 8;
  const double t22 = (t12 + t21 + 2.0 + 8.0 + 4 * 2.0) / 8;
  const double t23 = (t13 + t22 + 4 * 2.0) / 8;
  const double t31 = (t21 + 2.0 + 4 * 8.0) / 8;
  const double t32 = (t22 + t31 + 8.0 + 4 * 2.0) / 8;
  const double t33 = (t23 + t32 + 4 * 8.0) / 8;
  EXPECT_EQ(t11, 4.5);
  ExpectGrid(Start(m), {{{t11, t12, t13}, {t21, t22, t23}, {t31, t32, t33}}});
}

TEST(InitialValuesMode0, SmoothingRunsInPlaceWithTheLowerRightDiagonalNeighbour) {
  // Points, in order: 1 (2) and 2 (7) inside cell (1, 1); 3 (10) inside cell (2, 2); 4 (1) on
  // the side x = 1 between cells (1, 1) and (1, 2); 5 and 6 outside.
  // total = 2 + 7 + 10 + 1 + 1 = 21, M = 6, mean = 3.5.
  // Node sums and hits:
  //   (1, 1): 2 + 7 + 1 = 10, 3 hits        (1, 2): 2 + 7 + 1 + 1 = 11, 4 hits
  //   (1, 3): 1, one hit -> mean             (2, 1): 2 + 7 + 1 = 10, 3 hits
  //   (2, 2): 2 + 7 + 10 + 1 + 1 = 21, 5     (2, 3): 10 + 1 = 11, 2 hits
  //   (3, 1): no hit -> mean                 (3, 2), (3, 3): 10, one hit -> mean
  const MeshModel m = Mesh3x3(
      {{0.5, 1.5, 2}, {0.25, 1.75, 7}, {1.5, 0.5, 10}, {1, 1.5, 1}, {5, 5, 3}, {-1, 0.5, 100}}, 0);
  const double s11 = 10.0 / 3.0;
  const double s12 = 11.0 / 4.0;
  const double s13 = 21.0 / 6.0;
  const double s21 = 10.0 / 3.0;
  const double s22 = 21.0 / 5.0;
  const double s23 = 11.0 / 2.0;
  const double s31 = 21.0 / 6.0;
  const double s32 = 21.0 / 6.0;
  const double s33 = 21.0 / 6.0;
  // Top-left: U and W are outside (0): (E + SE + 4 own) / 8.
  const double t11 = (s12 + s22 + 4 * s11) / 8;
  // Top row: U outside, W the smoothed t11.
  const double t12 = (t11 + s13 + s23 + 4 * s12) / 8;
  // Top-right: E and SE outside.
  const double t13 = (t12 + 4 * s13) / 8;
  const double t21 = (t11 + s22 + s32 + 4 * s21) / 8;
  const double t22 = (t12 + t21 + s23 + s33 + 4 * s22) / 8;
  const double t23 = (t13 + t22 + 4 * s23) / 8;
  // Bottom row: SE outside.
  const double t31 = (t21 + s32 + 4 * s31) / 8;
  const double t32 = (t22 + t31 + s33 + 4 * s32) / 8;
  const double t33 = (t23 + t32 + 4 * s33) / 8;

  // The case tells the defined rule from the likely slips.
  EXPECT_NE(t11, (s12 + s21 + 4 * s11) / 8);        // S (below) instead of SE
  EXPECT_NE(t12, (s11 + s13 + s23 + 4 * s12) / 8);  // W not yet smoothed
  EXPECT_NE(t22, (s12 + s21 + s23 + s33 + 4 * s22) / 8);
  EXPECT_NE(t11, (s12 + s22 + 4 * s11) / 6);  // divisor 4 + the existing neighbours

  ExpectGrid(Start(m), {{{t11, t12, t13}, {t21, t22, t23}, {t31, t32, t33}}});
}

TEST(InitialValuesMode0, NoPointIsAnError) {
  const MeshModel m = Mesh3x3({}, 0);
  EXPECT_THROW(Start(m), RunError);
}

}  // namespace
}  // namespace ombrix
