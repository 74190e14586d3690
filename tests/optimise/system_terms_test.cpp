// Unit tests of the three terms of the optimiser's normal equations: the membrane matrix L,
// the curvature matrix H (the thin-plate stencil) and the data term P'P, P'v. The expected
// rows are written out by hand from the stencil, not recomputed by loops like the ones under
// test.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include "model/mesh_model.h"
#include "optimise/point_cells.h"
#include "optimise/sparse_system.h"
#include "optimise/system_terms.h"
#include "optimise_fixture.h"

namespace ombrix {
namespace {

using testing::MakeModel;
using testing::TestPoint;

// Every entry of the pattern set to a value the fill must overwrite.
void Poison(SparseMatrix& a) {
  for (std::size_t e = 0; e < a.entries(); ++e) {
    a.value(e) = 99;
  }
}

// Row k of a has exactly the listed entries (column -> value); every other column 1..N is 0.
void ExpectRow(const SparseMatrix& a, std::int32_t k, const std::map<std::int32_t, double>& row) {
  for (std::int32_t m = 1; m <= a.size(); ++m) {
    const auto it = row.find(m);
    const double expected = it == row.end() ? 0.0 : it->second;
    EXPECT_EQ(a.At(k, m), expected) << "row " << k << ", column " << m;
  }
}

SparseMatrix Curvature(std::int32_t nx, std::int32_t ny) {
  SparseMatrix h(nx, ny);
  Poison(h);
  FillMembraneCurvature(h, 0, 1);
  return h;
}

// z'Az over every pair of columns, read through At so that nothing of the storage is assumed.
double QuadraticForm(const SparseMatrix& a, const std::vector<double>& z) {
  double q = 0;
  for (std::int32_t k = 1; k <= a.size(); ++k) {
    for (std::int32_t m = 1; m <= a.size(); ++m) {
      q += z[static_cast<std::size_t>(k - 1)] * a.At(k, m) * z[static_cast<std::size_t>(m - 1)];
    }
  }
  return q;
}

// ---------------------------------------------------------------------------------------------
// Membrane matrix L.

TEST(FillMembrane, SmallMeshRowsByHand) {
  // nx = 4, ny = 3; nodes numbered
  //   1  2  3  4
  //   5  6  7  8
  //   9 10 11 12
  SparseMatrix a(4, 3);
  Poison(a);
  FillMembrane(a, 2.5);
  const double w = 2.5;
  ExpectRow(a, 1, {{1, 2 * w}, {2, -w}, {5, -w}});
  ExpectRow(a, 2, {{1, -w}, {2, 3 * w}, {3, -w}, {6, -w}});
  ExpectRow(a, 3, {{2, -w}, {3, 3 * w}, {4, -w}, {7, -w}});
  ExpectRow(a, 4, {{3, -w}, {4, 2 * w}, {8, -w}});
  ExpectRow(a, 5, {{1, -w}, {5, 3 * w}, {6, -w}, {9, -w}});
  ExpectRow(a, 6, {{2, -w}, {5, -w}, {6, 4 * w}, {7, -w}, {10, -w}});
  ExpectRow(a, 7, {{3, -w}, {6, -w}, {7, 4 * w}, {8, -w}, {11, -w}});
  ExpectRow(a, 8, {{4, -w}, {7, -w}, {8, 3 * w}, {12, -w}});
  ExpectRow(a, 9, {{5, -w}, {9, 2 * w}, {10, -w}});
  ExpectRow(a, 10, {{6, -w}, {9, -w}, {10, 3 * w}, {11, -w}});
  ExpectRow(a, 11, {{7, -w}, {10, -w}, {11, 3 * w}, {12, -w}});
  ExpectRow(a, 12, {{8, -w}, {11, -w}, {12, 2 * w}});
}

TEST(FillMembrane, CurvatureFillWithZeroCurvatureWeightIsTheMembrane) {
  SparseMatrix l(4, 3);
  FillMembrane(l, 1.25);
  SparseMatrix s(4, 3);
  Poison(s);
  FillMembraneCurvature(s, 1.25, 0);
  for (std::int32_t k = 1; k <= 12; ++k) {
    for (std::int32_t m = 1; m <= 12; ++m) {
      EXPECT_EQ(s.At(k, m), l.At(k, m)) << k << ", " << m;
    }
  }
}

TEST(FillMembrane, QuadraticFormIsTheSumOfSquaredNeighbourDifferences) {
  const std::int32_t nx = 5;
  const std::int32_t ny = 7;
  SparseMatrix l(nx, ny);
  FillMembrane(l, 1);
  std::mt19937 rng(20261206);
  std::uniform_int_distribution<int> digit(-9, 9);
  for (int round = 0; round < 5; ++round) {
    std::vector<double> z(static_cast<std::size_t>(nx * ny));
    for (double& v : z) {
      v = digit(rng);
    }
    auto at = [&](std::int32_t i, std::int32_t j) {
      return z[static_cast<std::size_t>((i - 1) * nx + (j - 1))];
    };
    double sum = 0;
    for (std::int32_t i = 1; i <= ny; ++i) {
      for (std::int32_t j = 1; j <= nx; ++j) {
        if (j < nx) {
          sum += (at(i, j) - at(i, j + 1)) * (at(i, j) - at(i, j + 1));
        }
        if (i < ny) {
          sum += (at(i, j) - at(i + 1, j)) * (at(i, j) - at(i + 1, j));
        }
      }
    }
    // Small integers keep both sums exact.
    EXPECT_EQ(QuadraticForm(l, z), sum) << "round " << round;
  }
}

// ---------------------------------------------------------------------------------------------
// Curvature matrix H (w1 = 0, w2 = 1).

TEST(FillMembraneCurvature, InnerRowsAreTheThinPlateStencil) {
  // 5 x 5: the centre node (3, 3), k = 13, is two nodes away from every side.
  //    1  2  3  4  5
  //    6  7  8  9 10
  //   11 12 13 14 15
  //   16 17 18 19 20
  //   21 22 23 24 25
  const SparseMatrix h = Curvature(5, 5);
  ExpectRow(h, 13,
            {{3, 1},
             {7, 2},
             {8, -8},
             {9, 2},
             {11, 1},
             {12, -8},
             {13, 20},
             {14, -8},
             {15, 1},
             {17, 2},
             {18, -8},
             {19, 2},
             {23, 1}});
}

TEST(FillMembraneCurvature, EveryInnerRowOfANonSquareMeshIsTheThinPlateStencil) {
  // nx = 6, ny = 7: rows 3..5 and columns 3..4 are two nodes away from every side.
  const std::int32_t nx = 6;
  const SparseMatrix h = Curvature(nx, 7);
  for (std::int32_t i = 3; i <= 5; ++i) {
    for (std::int32_t j = 3; j <= 4; ++j) {
      const std::int32_t k = (i - 1) * nx + j;
      ExpectRow(h, k,
                {{k - 2 * nx, 1},
                 {k - nx - 1, 2},
                 {k - nx, -8},
                 {k - nx + 1, 2},
                 {k - 2, 1},
                 {k - 1, -8},
                 {k, 20},
                 {k + 1, -8},
                 {k + 2, 1},
                 {k + nx - 1, 2},
                 {k + nx, -8},
                 {k + nx + 1, 2},
                 {k + 2 * nx, 1}});
    }
  }
}

TEST(FillMembraneCurvature, CornerAndSideRowsByHandFromTheStencilTable) {
  // nx = 6, ny = 7; node (i, j) is k = (i - 1) * 6 + j.
  //    1  2  3  4  5  6
  //    7  8  9 10 11 12
  //   13 14 15 16 17 18
  //   19 20 21 22 23 24
  //   25 26 27 28 29 30
  //   31 32 33 34 35 36
  //   37 38 39 40 41 42
  const SparseMatrix h = Curvature(6, 7);
  // (1, 1): rows "i <= ny-2", "j <= nx-2" and the lower-right block.
  // k: 1 + 1 + 2; k+1: -2 - 2; k+2: +1; k+nx: -2 - 2; k+2nx: +1; k+nx+1: +2.
  ExpectRow(h, 1, {{1, 4}, {2, -4}, {3, 1}, {7, -4}, {8, 2}, {13, 1}});
  // (1, 6): "i <= ny-2", "j >= 3" and the lower-left block.
  ExpectRow(h, 6, {{4, 1}, {5, -4}, {6, 4}, {11, 2}, {12, -4}, {18, 1}});
  // (7, 1): "i >= 3", "j <= nx-2" and the upper-right block.
  ExpectRow(h, 37, {{25, 1}, {31, -4}, {32, 2}, {37, 4}, {38, -4}, {39, 1}});
  // (7, 6): "i >= 3", "j >= 3" and the upper-left block.
  ExpectRow(h, 42, {{30, 1}, {35, 2}, {36, -4}, {40, 1}, {41, -4}, {42, 4}});
  // (1, 2): "i <= ny-2", "2 <= j <= nx-1", "j <= nx-2", lower-left and lower-right blocks.
  // k: 1 + 4 + 1 + 2 + 2 = 10; W: -2 - 2; E: -2 - 2 - 2; S: -2 - 2 - 2.
  ExpectRow(h, 2, {{1, -4}, {2, 10}, {3, -6}, {4, 1}, {7, 2}, {8, -6}, {9, 2}, {14, 1}});
  // (1, 3): as (1, 2) plus "j >= 3": k 11, W -6, WW +1.
  ExpectRow(h, 3, {{1, 1}, {2, -6}, {3, 11}, {4, -6}, {5, 1}, {8, 2}, {9, -6}, {10, 2}, {15, 1}});
  // (2, 1): the transpose of (1, 2).
  ExpectRow(h, 7, {{1, -4}, {2, 2}, {7, 10}, {8, -6}, {9, 1}, {13, -6}, {14, 2}, {19, 1}});
  // (4, 1): left side, two rows from the top and the bottom: the transpose of (1, 3).
  ExpectRow(h, 19,
            {{7, 1}, {13, -6}, {14, 2}, {19, 11}, {20, -6}, {21, 1}, {25, -6}, {26, 2}, {31, 1}});
  // (7, 3): bottom side: "i >= 3", "j >= 3", "2 <= j <= nx-1", "j <= nx-2", upper blocks.
  ExpectRow(h, 39,
            {{27, 1}, {32, 2}, {33, -6}, {34, 2}, {37, 1}, {38, -6}, {39, 11}, {40, -6}, {41, 1}});
  // (2, 2): every row of the table except "i >= 3" and "j >= 3".
  // k: 4 + 1 + 4 + 1 + 4 * 2 = 18; N: -2 - 2 - 2; S: -2 - 2 - 2 - 2; W and E likewise.
  ExpectRow(h, 8,
            {{1, 2},
             {2, -6},
             {3, 2},
             {7, -6},
             {8, 18},
             {9, -8},
             {10, 1},
             {13, 2},
             {14, -8},
             {15, 2},
             {20, 1}});
  // (2, 6): right side, second row: "2 <= i <= ny-1", "i <= ny-2", "j >= 3", left blocks.
  // k: 4 + 1 + 1 + 2 + 2 = 10; N: -2 - 2; S: -2 - 2 - 2; W: -2 - 2 - 2.
  ExpectRow(h, 12, {{5, 2}, {6, -4}, {10, 1}, {11, -6}, {12, 10}, {17, 2}, {18, -6}, {24, 1}});
}

TEST(FillMembraneCurvature, ThreeByThreeMeshByHand) {
  // In a 3 x 3 mesh no node has a neighbour two steps away on both sides.
  //   1 2 3
  //   4 5 6
  //   7 8 9
  const SparseMatrix h = Curvature(3, 3);
  // Centre: "2 <= i <= ny-1" and "2 <= j <= nx-1" and all four blocks.
  // k: 4 + 4 + 4 * 2 = 16; each direct neighbour -2 - 2 - 2; each diagonal +2.
  ExpectRow(h, 5, {{1, 2}, {2, -6}, {3, 2}, {4, -6}, {5, 16}, {6, -6}, {7, 2}, {8, -6}, {9, 2}});
  ExpectRow(h, 1, {{1, 4}, {2, -4}, {3, 1}, {4, -4}, {5, 2}, {7, 1}});
  // (1, 2): "i <= ny-2", "2 <= j <= nx-1", lower-left and lower-right blocks.
  // k: 1 + 4 + 2 + 2 = 9; W: -2 - 2; E: -2 - 2; S: -2 - 2 - 2.
  ExpectRow(h, 2, {{1, -4}, {2, 9}, {3, -4}, {4, 2}, {5, -6}, {6, 2}, {8, 1}});
}

TEST(FillMembraneCurvature, TwoByTwoMeshHasOnlyTheMixedTerm) {
  //   1 2
  //   3 4   z'Hz = 2 (z1 - z2 - z3 + z4)^2
  const SparseMatrix h = Curvature(2, 2);
  ExpectRow(h, 1, {{1, 2}, {2, -2}, {3, -2}, {4, 2}});
  ExpectRow(h, 2, {{1, -2}, {2, 2}, {3, 2}, {4, -2}});
  ExpectRow(h, 3, {{1, -2}, {2, 2}, {3, 2}, {4, -2}});
  ExpectRow(h, 4, {{1, 2}, {2, -2}, {3, -2}, {4, 2}});
}

TEST(FillMembraneCurvature, IsSymmetric) {
  for (const auto& [nx, ny] :
       {std::pair{6, 7}, std::pair{7, 6}, std::pair{3, 5}, std::pair{1, 4}, std::pair{4, 2}}) {
    const SparseMatrix h = Curvature(nx, ny);
    for (std::int32_t k = 1; k <= h.size(); ++k) {
      for (std::int32_t m = 1; m <= h.size(); ++m) {
        EXPECT_EQ(h.At(k, m), h.At(m, k)) << nx << " x " << ny << ": " << k << ", " << m;
      }
    }
  }
}

TEST(FillMembraneCurvature, IsTheWeightedSumOfCurvatureAndMembrane) {
  SparseMatrix l(6, 7);
  FillMembrane(l, 1);
  const SparseMatrix h = Curvature(6, 7);
  SparseMatrix s(6, 7);
  Poison(s);
  FillMembraneCurvature(s, 0.75, 2.5);
  for (std::int32_t k = 1; k <= s.size(); ++k) {
    for (std::int32_t m = 1; m <= s.size(); ++m) {
      EXPECT_EQ(s.At(k, m), 2.5 * h.At(k, m) + 0.75 * l.At(k, m)) << k << ", " << m;
    }
  }
}

// The thin-plate energy by its definition, over the triples and 2 x 2 blocks inside the mesh.
double ThinPlateEnergy(const std::vector<double>& z, std::int32_t nx, std::int32_t ny) {
  auto at = [&](std::int32_t i, std::int32_t j) {
    return z[static_cast<std::size_t>((i - 1) * nx + (j - 1))];
  };
  double rows = 0;
  for (std::int32_t i = 1; i <= ny; ++i) {
    for (std::int32_t j = 2; j <= nx - 1; ++j) {
      const double d = at(i, j - 1) - 2 * at(i, j) + at(i, j + 1);
      rows += d * d;
    }
  }
  double columns = 0;
  for (std::int32_t i = 2; i <= ny - 1; ++i) {
    for (std::int32_t j = 1; j <= nx; ++j) {
      const double d = at(i - 1, j) - 2 * at(i, j) + at(i + 1, j);
      columns += d * d;
    }
  }
  double mixed = 0;
  for (std::int32_t i = 1; i <= ny - 1; ++i) {
    for (std::int32_t j = 1; j <= nx - 1; ++j) {
      const double d = at(i, j) - at(i, j + 1) - at(i + 1, j) + at(i + 1, j + 1);
      mixed += d * d;
    }
  }
  return rows + columns + 2 * mixed;
}

TEST(FillMembraneCurvature, QuadraticFormIsTheThinPlateEnergyExactlyForIntegers) {
  for (const auto& [nx, ny] : {std::pair{5, 7}, std::pair{7, 4}, std::pair{2, 6}}) {
    const SparseMatrix h = Curvature(nx, ny);
    std::mt19937 rng(static_cast<std::uint32_t>(nx * 100 + ny));
    std::uniform_int_distribution<int> digit(-9, 9);
    for (int round = 0; round < 5; ++round) {
      std::vector<double> z(static_cast<std::size_t>(nx * ny));
      for (double& v : z) {
        v = digit(rng);
      }
      EXPECT_EQ(QuadraticForm(h, z), ThinPlateEnergy(z, nx, ny))
          << nx << " x " << ny << ", round " << round;
    }
  }
}

TEST(FillMembraneCurvature, QuadraticFormIsTheThinPlateEnergyForRealValues) {
  const std::int32_t nx = 6;
  const std::int32_t ny = 9;
  const SparseMatrix h = Curvature(nx, ny);
  std::mt19937 rng(77);
  std::uniform_real_distribution<double> value(-3.0, 3.0);
  std::vector<double> z(static_cast<std::size_t>(nx * ny));
  for (double& v : z) {
    v = value(rng);
  }
  const double energy = ThinPlateEnergy(z, nx, ny);
  EXPECT_GT(energy, 1.0);
  EXPECT_NEAR(QuadraticForm(h, z), energy, 1e-12 * energy);
}

// ---------------------------------------------------------------------------------------------
// Data term. Non-uniform spacing: columns at x = 0, 1, 3, 7 (widths 1, 2, 4), rows at
// y = 10, 6, 5 (heights 4, 1). Nodes:
//   1  2  3  4      row 1, y = 10
//   5  6  7  8      row 2, y = 6
//   9 10 11 12      row 3, y = 5
// Cells: (1, 1) .. (1, 3) between y = 10 and 6, (2, 1) .. (2, 3) between y = 6 and 5.

MeshModel DataMesh(const std::vector<TestPoint>& points) {
  return MakeModel({0, 1, 3, 7}, {10, 6, 5}, points, 1, 1, 1, 1.5, 1e-9, 0);
}

struct DataTerm {
  SparseMatrix data{4, 3};
  std::vector<double> right_side = std::vector<double>(12, 0.0);
};

DataTerm Assemble(const MeshModel& m, const std::vector<PointCell>& pairs) {
  DataTerm d;
  AddDataTerm(m, pairs, d.data, d.right_side);
  return d;
}

void ExpectPairs(const std::vector<PointCell>& got, const std::vector<PointCell>& expected) {
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t n = 0; n < got.size(); ++n) {
    EXPECT_EQ(got[n].p, expected[n].p) << "pair " << n;
    EXPECT_EQ(got[n].i, expected[n].i) << "pair " << n;
    EXPECT_EQ(got[n].j, expected[n].j) << "pair " << n;
  }
}

// The data matrix is zero outside the listed nodes' block, and right_side is zero outside them.
void ExpectOnlyBlock(const DataTerm& d, const std::vector<std::int32_t>& nodes) {
  auto listed = [&](std::int32_t k) {
    for (const std::int32_t n : nodes) {
      if (n == k) {
        return true;
      }
    }
    return false;
  };
  for (std::int32_t k = 1; k <= 12; ++k) {
    for (std::int32_t m = 1; m <= 12; ++m) {
      if (!(listed(k) && listed(m))) {
        EXPECT_EQ(d.data.At(k, m), 0.0) << k << ", " << m;
      }
    }
    if (!listed(k)) {
      EXPECT_EQ(d.right_side[static_cast<std::size_t>(k - 1)], 0.0) << k;
    }
  }
}

TEST(AddDataTerm, PointStrictlyInsideACellUsesTheCoordinates) {
  // Cell (1, 2): x 1..3, y 10..6. x = 2.5: s = 1.5 / 2 = 0.75. y = 9.5: t = (9.5 - 10) /
  // (6 - 10) = 0.125, measured downwards from row 1.
  const MeshModel m = DataMesh({{2.5, 9.5, 8}});
  const std::vector<PointCell> pairs = FindPointCells(m);
  ExpectPairs(pairs, {{1, 1, 2}});

  const CornerWeights cw = WeightsInCell(m, pairs[0]);
  EXPECT_EQ(cw.w[0], 0.21875);  // (1 - s)(1 - t) = 0.25 * 0.875, node (1, 2)
  EXPECT_EQ(cw.w[1], 0.65625);  // s(1 - t) = 0.75 * 0.875, node (1, 3)
  EXPECT_EQ(cw.w[2], 0.03125);  // (1 - s)t = 0.25 * 0.125, node (2, 2)
  EXPECT_EQ(cw.w[3], 0.09375);  // st = 0.75 * 0.125, node (2, 3)

  const DataTerm d = Assemble(m, pairs);
  // Corners: node 2 (0.21875), 3 (0.65625), 6 (0.03125), 7 (0.09375).
  EXPECT_EQ(d.data.At(2, 2), 0.21875 * 0.21875);
  EXPECT_EQ(d.data.At(2, 3), 0.21875 * 0.65625);
  EXPECT_EQ(d.data.At(2, 6), 0.21875 * 0.03125);
  EXPECT_EQ(d.data.At(2, 7), 0.21875 * 0.09375);
  EXPECT_EQ(d.data.At(3, 2), 0.65625 * 0.21875);
  EXPECT_EQ(d.data.At(3, 3), 0.65625 * 0.65625);
  EXPECT_EQ(d.data.At(3, 6), 0.65625 * 0.03125);
  EXPECT_EQ(d.data.At(3, 7), 0.65625 * 0.09375);
  EXPECT_EQ(d.data.At(6, 2), 0.03125 * 0.21875);
  EXPECT_EQ(d.data.At(6, 3), 0.03125 * 0.65625);
  EXPECT_EQ(d.data.At(6, 6), 0.03125 * 0.03125);
  EXPECT_EQ(d.data.At(6, 7), 0.03125 * 0.09375);
  EXPECT_EQ(d.data.At(7, 2), 0.09375 * 0.21875);
  EXPECT_EQ(d.data.At(7, 3), 0.09375 * 0.65625);
  EXPECT_EQ(d.data.At(7, 6), 0.09375 * 0.03125);
  EXPECT_EQ(d.data.At(7, 7), 0.09375 * 0.09375);
  EXPECT_EQ(d.right_side[1], 1.75);  // 0.21875 * 8
  EXPECT_EQ(d.right_side[2], 5.25);  // 0.65625 * 8
  EXPECT_EQ(d.right_side[5], 0.25);  // 0.03125 * 8
  EXPECT_EQ(d.right_side[6], 0.75);  // 0.09375 * 8
  ExpectOnlyBlock(d, {2, 3, 6, 7});
}

TEST(AddDataTerm, PointInAWideLowCellUsesItsOwnWidthAndHeight) {
  // Cell (2, 3): x 3..7, y 6..5. x = 6: s = 3 / 4 = 0.75; y = 5.5: t = 0.5.
  const MeshModel m = DataMesh({{6, 5.5, 2}});
  const std::vector<PointCell> pairs = FindPointCells(m);
  ExpectPairs(pairs, {{1, 2, 3}});
  const CornerWeights cw = WeightsInCell(m, pairs[0]);
  EXPECT_EQ(cw.w[0], 0.125);  // node (2, 3) = 7
  EXPECT_EQ(cw.w[1], 0.375);  // node (2, 4) = 8
  EXPECT_EQ(cw.w[2], 0.125);  // node (3, 3) = 11
  EXPECT_EQ(cw.w[3], 0.375);  // node (3, 4) = 12
  const DataTerm d = Assemble(m, pairs);
  EXPECT_EQ(d.data.At(7, 8), 0.046875);
  EXPECT_EQ(d.data.At(8, 8), 0.140625);
  EXPECT_EQ(d.data.At(11, 12), 0.046875);
  EXPECT_EQ(d.data.At(12, 7), 0.046875);
  EXPECT_EQ(d.data.At(7, 11), 0.015625);
  EXPECT_EQ(d.right_side[6], 0.25);
  EXPECT_EQ(d.right_side[7], 0.75);
  EXPECT_EQ(d.right_side[10], 0.25);
  EXPECT_EQ(d.right_side[11], 0.75);
  ExpectOnlyBlock(d, {7, 8, 11, 12});
}

TEST(AddDataTerm, PointOnAVerticalSharedSideCountsInBothCells) {
  // x = 3 is the side between cells (2, 2) and (2, 3); y = 5.5 is inside row 2 (t = 0.5).
  // Cell (2, 2): s = 1, weights 0, 0.5, 0, 0.5 on nodes 6, 7, 10, 11.
  // Cell (2, 3): s = 0, weights 0.5, 0, 0.5, 0 on nodes 7, 8, 11, 12.
  const MeshModel m = DataMesh({{3, 5.5, 4}});
  const std::vector<PointCell> pairs = FindPointCells(m);
  ExpectPairs(pairs, {{1, 2, 2}, {1, 2, 3}});
  const DataTerm d = Assemble(m, pairs);
  // Each cell adds 0.5 * 0.5 to every pair of nodes 7 and 11.
  EXPECT_EQ(d.data.At(7, 7), 0.5);
  EXPECT_EQ(d.data.At(7, 11), 0.5);
  EXPECT_EQ(d.data.At(11, 7), 0.5);
  EXPECT_EQ(d.data.At(11, 11), 0.5);
  // Each cell adds 0.5 * 4.
  EXPECT_EQ(d.right_side[6], 4.0);
  EXPECT_EQ(d.right_side[10], 4.0);
  ExpectOnlyBlock(d, {7, 11});
}

TEST(AddDataTerm, PointOnAHorizontalSharedSideCountsInBothCells) {
  // y = 6 is the side between cells (1, 2) (t = 1) and (2, 2) (t = 0); x = 2: s = 0.5.
  // Both put 0.5 on nodes 6 and 7.
  const MeshModel m = DataMesh({{2, 6, 3}});
  const std::vector<PointCell> pairs = FindPointCells(m);
  ExpectPairs(pairs, {{1, 1, 2}, {1, 2, 2}});
  const DataTerm d = Assemble(m, pairs);
  EXPECT_EQ(d.data.At(6, 6), 0.5);
  EXPECT_EQ(d.data.At(6, 7), 0.5);
  EXPECT_EQ(d.data.At(7, 6), 0.5);
  EXPECT_EQ(d.data.At(7, 7), 0.5);
  EXPECT_EQ(d.right_side[5], 3.0);
  EXPECT_EQ(d.right_side[6], 3.0);
  ExpectOnlyBlock(d, {6, 7});
}

TEST(AddDataTerm, PointOnAnInnerNodeCountsInAllFourCells) {
  // Node (2, 2) = 6 at (1, 6) is a corner of cells (1, 1), (1, 2), (2, 1), (2, 2); in each its
  // weight is 1 and the others 0.
  const MeshModel m = DataMesh({{1, 6, 2.5}});
  const std::vector<PointCell> pairs = FindPointCells(m);
  ExpectPairs(pairs, {{1, 1, 1}, {1, 1, 2}, {1, 2, 1}, {1, 2, 2}});
  for (const PointCell& pc : pairs) {
    const CornerWeights cw = WeightsInCell(m, pc);
    EXPECT_EQ(cw.w[0] + cw.w[1] + cw.w[2] + cw.w[3], 1.0);
  }
  const DataTerm d = Assemble(m, pairs);
  EXPECT_EQ(d.data.At(6, 6), 4.0);
  EXPECT_EQ(d.right_side[5], 10.0);  // 4 * 2.5
  ExpectOnlyBlock(d, {6});
}

TEST(AddDataTerm, PointsOutsideTheMeshAddNothing) {
  const MeshModel m =
      DataMesh({{7.5, 8, 1}, {2, 10.5, 2}, {-0.5, 5.5, 3}, {2, 4.5, 4}, {8, 11, 5}});
  const std::vector<PointCell> pairs = FindPointCells(m);
  EXPECT_TRUE(pairs.empty());
  const DataTerm d = Assemble(m, pairs);
  ExpectOnlyBlock(d, {});
}

TEST(AddDataTerm, OutsidePointsAreSkippedAndTheOthersKeepTheirNumbers) {
  // Point 1 outside, point 2 at the top-left corner node (in cell (1, 1) only), point 3 outside,
  // point 4 on the bottom side x = 5 of cell (2, 3) (s = 0.5, t = 1).
  const MeshModel m = DataMesh({{-1, 8, 100}, {0, 10, 2}, {20, 8, 100}, {5, 5, 6}});
  const std::vector<PointCell> pairs = FindPointCells(m);
  ExpectPairs(pairs, {{2, 1, 1}, {4, 2, 3}});
  const DataTerm d = Assemble(m, pairs);
  EXPECT_EQ(d.data.At(1, 1), 1.0);
  EXPECT_EQ(d.right_side[0], 2.0);
  EXPECT_EQ(d.data.At(11, 11), 0.25);
  EXPECT_EQ(d.data.At(11, 12), 0.25);
  EXPECT_EQ(d.data.At(12, 11), 0.25);
  EXPECT_EQ(d.data.At(12, 12), 0.25);
  EXPECT_EQ(d.right_side[10], 3.0);
  EXPECT_EQ(d.right_side[11], 3.0);
  ExpectOnlyBlock(d, {1, 11, 12});
}

TEST(AddDataTerm, ContributionsOfSeveralPointsAdd) {
  // Two points in cell (1, 1) (x 0..1, y 10..6): (0.5, 8) with s = t = 0.5 and (0, 10) on node
  // (1, 1). Node 1 gets 0.25 * 0.25 + 1 * 1.
  const MeshModel m = DataMesh({{0.5, 8, 4}, {0, 10, 2}});
  const std::vector<PointCell> pairs = FindPointCells(m);
  ExpectPairs(pairs, {{1, 1, 1}, {2, 1, 1}});
  const DataTerm d = Assemble(m, pairs);
  EXPECT_EQ(d.data.At(1, 1), 1.0625);
  EXPECT_EQ(d.data.At(1, 2), 0.0625);
  EXPECT_EQ(d.data.At(6, 5), 0.0625);
  EXPECT_EQ(d.right_side[0], 3.0);  // 0.25 * 4 + 1 * 2
  EXPECT_EQ(d.right_side[1], 1.0);
  EXPECT_EQ(d.right_side[4], 1.0);
  EXPECT_EQ(d.right_side[5], 1.0);
  ExpectOnlyBlock(d, {1, 2, 5, 6});
}

}  // namespace
}  // namespace ombrix
