// The three terms of the optimiser's normal equations: membrane L, curvature H and the data
// term. Representative rows are written out by hand from the stencil; the rest is checked by
// the quadratic forms against the energies by their definitions.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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

// Row k of a has exactly the listed entries (column -> value); every other column is 0.
void ExpectRow(const SparseMatrix& a, std::int32_t k, const std::map<std::int32_t, double>& row) {
  for (std::int32_t m = 1; m <= a.size(); ++m) {
    const auto it = row.find(m);
    EXPECT_EQ(a.At(k, m), it == row.end() ? 0.0 : it->second) << "row " << k << ", col " << m;
  }
}

SparseMatrix Curvature(std::int32_t nx, std::int32_t ny) {
  SparseMatrix h(nx, ny);
  Poison(h);
  FillMembraneCurvature(h, 0, 1);
  return h;
}

// z'Az read through At, so that nothing of the storage is assumed.
double QuadraticForm(const SparseMatrix& a, const std::vector<double>& z) {
  double q = 0;
  for (std::int32_t k = 1; k <= a.size(); ++k) {
    for (std::int32_t m = 1; m <= a.size(); ++m) {
      q += z[static_cast<std::size_t>(k - 1)] * a.At(k, m) * z[static_cast<std::size_t>(m - 1)];
    }
  }
  return q;
}

TEST(FillMembrane, CornerSideAndInnerRowsByHand) {
  //   1  2  3  4
  //   5  6  7  8
  //   9 10 11 12
  SparseMatrix a(4, 3);
  Poison(a);
  FillMembrane(a, 2.5);
  const double w = 2.5;
  ExpectRow(a, 1, {{1, 2 * w}, {2, -w}, {5, -w}});
  ExpectRow(a, 2, {{1, -w}, {2, 3 * w}, {3, -w}, {6, -w}});
  ExpectRow(a, 7, {{3, -w}, {6, -w}, {7, 4 * w}, {8, -w}, {11, -w}});
}

TEST(FillMembraneCurvature, RepresentativeRowsByHand) {
  //    1  2  3  4  5  6
  //    7  8  9 10 11 12
  //   13 14 15 16 17 18
  //   19 20 21 22 23 24   (nx = 6, ny = 7)
  //   25 26 27 28 29 30
  //   31 32 33 34 35 36
  //   37 38 39 40 41 42
  const SparseMatrix h = Curvature(6, 7);
  // (3, 3) is two nodes from every side: the full thin-plate stencil.
  const std::int32_t offsets[] = {-12, -7, -6, -5, -2, -1, 0, 1, 2, 5, 6, 7, 12};
  const double weights[] = {1, 2, -8, 2, 1, -8, 20, -8, 1, 2, -8, 2, 1};
  std::map<std::int32_t, double> inner;
  for (std::size_t n = 0; n < std::size(offsets); ++n) {
    inner[15 + offsets[n]] = weights[n];
  }
  ExpectRow(h, 15, inner);
  // Corners.
  ExpectRow(h, 1, {{1, 4}, {2, -4}, {3, 1}, {7, -4}, {8, 2}, {13, 1}});
  ExpectRow(h, 42, {{30, 1}, {35, 2}, {36, -4}, {40, 1}, {41, -4}, {42, 4}});
  // Top side, third column.
  ExpectRow(h, 3, {{1, 1}, {2, -6}, {3, 11}, {4, -6}, {5, 1}, {8, 2}, {9, -6}, {10, 2}, {15, 1}});
}

TEST(FillMembraneCurvature, TwoByTwoMeshHasOnlyTheMixedTerm) {
  // z'Hz = 2 (z1 - z2 - z3 + z4)^2
  const SparseMatrix h = Curvature(2, 2);
  ExpectRow(h, 1, {{1, 2}, {2, -2}, {3, -2}, {4, 2}});
  ExpectRow(h, 2, {{1, -2}, {2, 2}, {3, 2}, {4, -2}});
}

TEST(FillMembraneCurvature, IsSymmetricAndTheWeightedSumOfCurvatureAndMembrane) {
  for (const auto& [nx, ny] :
       {std::pair{6, 7}, std::pair{7, 6}, std::pair{3, 5}, std::pair{1, 4}, std::pair{4, 2}}) {
    SparseMatrix l(nx, ny);
    FillMembrane(l, 1);
    const SparseMatrix h = Curvature(nx, ny);
    SparseMatrix s(nx, ny);
    Poison(s);
    FillMembraneCurvature(s, 0.75, 2.5);
    for (std::int32_t k = 1; k <= h.size(); ++k) {
      for (std::int32_t m = 1; m <= h.size(); ++m) {
        EXPECT_EQ(h.At(k, m), h.At(m, k)) << nx << " x " << ny << ": " << k << ", " << m;
        EXPECT_EQ(s.At(k, m), 2.5 * h.At(k, m) + 0.75 * l.At(k, m)) << k << ", " << m;
      }
    }
  }
}

// The membrane energy (squared neighbour differences) and the thin-plate energy (row and column
// triples, and 2 x 2 blocks) by their definitions.
std::pair<double, double> Energies(const std::vector<double>& z, std::int32_t nx, std::int32_t ny) {
  auto at = [&](std::int32_t i, std::int32_t j) {
    return z[static_cast<std::size_t>((i - 1) * nx + (j - 1))];
  };
  double membrane = 0, plate = 0;
  for (std::int32_t i = 1; i <= ny; ++i) {
    for (std::int32_t j = 1; j <= nx; ++j) {
      if (j < nx) {
        membrane += (at(i, j) - at(i, j + 1)) * (at(i, j) - at(i, j + 1));
      }
      if (i < ny) {
        membrane += (at(i, j) - at(i + 1, j)) * (at(i, j) - at(i + 1, j));
      }
      if (1 < j && j < nx) {
        const double d = at(i, j - 1) - 2 * at(i, j) + at(i, j + 1);
        plate += d * d;
      }
      if (1 < i && i < ny) {
        const double d = at(i - 1, j) - 2 * at(i, j) + at(i + 1, j);
        plate += d * d;
      }
      if (i < ny && j < nx) {
        const double d = at(i, j) - at(i, j + 1) - at(i + 1, j) + at(i + 1, j + 1);
        plate += 2 * d * d;
      }
    }
  }
  return {membrane, plate};
}

TEST(SystemTerms, QuadraticFormsAreTheMembraneAndThinPlateEnergies) {
  for (const auto& [nx, ny] : {std::pair{5, 7}, std::pair{7, 4}, std::pair{2, 6}}) {
    SparseMatrix l(nx, ny);
    FillMembrane(l, 1);
    const SparseMatrix h = Curvature(nx, ny);
    std::mt19937 rng(static_cast<std::uint32_t>(nx * 100 + ny));
    std::uniform_int_distribution<int> digit(-9, 9);
    for (int round = 0; round < 5; ++round) {
      std::vector<double> z(static_cast<std::size_t>(nx * ny));
      for (double& v : z) {
        v = digit(rng);
      }
      // Small integers: exact.
      EXPECT_EQ(std::pair(QuadraticForm(l, z), QuadraticForm(h, z)), Energies(z, nx, ny))
          << nx << " x " << ny << ", round " << round;
    }
  }
}

// Data term. Columns at x = 0, 1, 3, 7, rows at y = 10, 6, 5:
//   1  2  3  4      y = 10
//   5  6  7  8      y = 6
//   9 10 11 12      y = 5
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

// Point, row and column of each pair.
std::vector<std::array<std::int32_t, 3>> Triples(const std::vector<PointCell>& pairs) {
  std::vector<std::array<std::int32_t, 3>> out;
  for (const PointCell& c : pairs) {
    out.push_back({c.p, c.i, c.j});
  }
  return out;
}

// Nothing outside the listed nodes' block of the matrix or the right side.
void ExpectOnlyBlock(const DataTerm& d, const std::vector<std::int32_t>& nodes) {
  auto listed = [&](std::int32_t k) {
    return std::find(nodes.begin(), nodes.end(), k) != nodes.end();
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

TEST(AddDataTerm, PointStrictlyInsideACellUsesItsOwnWidthAndHeight) {
  // Cell (1, 2): x 1..3, y 10..6. s = 1.5 / 2 = 0.75; t = (9.5 - 10) / (6 - 10) = 0.125.
  const MeshModel m = DataMesh({{2.5, 9.5, 8}});
  const std::vector<PointCell> pairs = FindPointCells(m);
  ASSERT_EQ(Triples(pairs), (std::vector<std::array<std::int32_t, 3>>{{1, 1, 2}}));
  const CornerWeights cw = WeightsInCell(m, pairs[0]);
  const double w[4] = {0.21875, 0.65625, 0.03125, 0.09375};  // (1-s)(1-t), s(1-t), (1-s)t, st
  const std::int32_t node[4] = {2, 3, 6, 7};
  const DataTerm d = Assemble(m, pairs);
  for (int a = 0; a < 4; ++a) {
    EXPECT_EQ(cw.w[a], w[a]) << a;
    for (int b = 0; b < 4; ++b) {
      EXPECT_EQ(d.data.At(node[a], node[b]), w[a] * w[b]) << a << ", " << b;
    }
    EXPECT_EQ(d.right_side[static_cast<std::size_t>(node[a] - 1)], w[a] * 8) << a;
  }
  ExpectOnlyBlock(d, {2, 3, 6, 7});
}

TEST(AddDataTerm, OutsidePointsAreSkippedAndTheOthersKeepTheirNumbers) {
  // Point 2 on the top-left corner node, point 4 on the bottom side (s = 0.5, t = 1).
  const MeshModel m = DataMesh({{-1, 8, 100}, {0, 10, 2}, {20, 8, 100}, {5, 5, 6}, {2, 4.5, 4}});
  const std::vector<PointCell> pairs = FindPointCells(m);
  EXPECT_EQ(Triples(pairs), (std::vector<std::array<std::int32_t, 3>>{{2, 1, 1}, {4, 2, 3}}));
  const DataTerm d = Assemble(m, pairs);
  EXPECT_EQ(d.data.At(1, 1), 1.0);
  EXPECT_EQ(d.right_side[0], 2.0);
  EXPECT_EQ(d.data.At(11, 12), 0.25);
  EXPECT_EQ(d.data.At(12, 12), 0.25);
  EXPECT_EQ(d.right_side[10], 3.0);
  EXPECT_EQ(d.right_side[11], 3.0);
  ExpectOnlyBlock(d, {1, 11, 12});
}

}  // namespace
}  // namespace ombrix
