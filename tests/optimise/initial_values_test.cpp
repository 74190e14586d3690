// The optimiser's starting values on a 3 x 3 mesh (x = 0, 1, 2; y = 2, 1, 0), compared bit for
// bit with the node means worked out by hand and smoothed by the rule written plainly.

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

// Smoothing in place, rows then columns: T(i, j) = (U + W + E + SE + 4 * own) / 8 with U, W
// already smoothed, E and SE not, and 0 outside the mesh.
Grid Smoothed(Grid g) {
  const auto at = [&](int i, int j) { return i < 0 || j < 0 || i > 2 || j > 2 ? 0.0 : g[i][j]; };
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      g[i][j] = (at(i - 1, j) + at(i, j - 1) + at(i, j + 1) + at(i + 1, j + 1) + 4 * g[i][j]) / 8;
    }
  }
  return g;
}

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

// Mode 0: the weighted five-point mean.
TEST(InitialValuesMode0, ANodeTouchedOnceStartsFromTheMeanNotThePointValue) {
  // Point 1 (value 8) in cell (1, 1) touches its four corners once each; point 2 (value 0) is
  // outside. total = 8, M = 2, mean = 4, so every node enters the smoothing with 4 (with the
  // point's value the corners would enter with 8).
  const MeshModel m = Mesh3x3({{0.5, 1.5, 8}, {5, 5, 0}}, 0);
  const Grid t = Smoothed({{{4, 4, 4}, {4, 4, 4}, {4, 4, 4}}});
  EXPECT_EQ(t[0][0], 3.0);
  ExpectGrid(Start(m), t);
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
  const double s11 = 10.0 / 3.0, s12 = 11.0 / 4.0, s13 = 21.0 / 6.0;
  const double s21 = 10.0 / 3.0, s22 = 21.0 / 5.0, s23 = 11.0 / 2.0, s3 = 21.0 / 6.0;
  const Grid t = Smoothed({{{s11, s12, s13}, {s21, s22, s23}, {s3, s3, s3}}});
  // The case tells the defined rule from the likely slips.
  EXPECT_NE(t[0][0], (s12 + s21 + 4 * s11) / 8);        // S (below) instead of SE
  EXPECT_NE(t[0][1], (s11 + s13 + s23 + 4 * s12) / 8);  // W not yet smoothed
  EXPECT_NE(t[1][1], (s12 + s21 + s23 + s3 + 4 * s22) / 8);
  EXPECT_NE(t[0][0], (s12 + s22 + 4 * s11) / 6);  // divisor 4 + the existing neighbours
  ExpectGrid(Start(m), t);
}

TEST(InitialValues, NoPointIsAnErrorInBothModes) {
  EXPECT_THROW(Start(Mesh3x3({}, 0)), RunError);
  EXPECT_THROW(Start(Mesh3x3({}, 1)), RunError);
}

}  // namespace
}  // namespace ombrix
