// The membrane L and curvature H terms of the optimiser's normal equations, on any mesh shape
// (lines included): their quadratic forms against the energies by their definitions, and
// every entry overwritten. The assembled system, the data term included, is compared entry by
// entry with a dense computation in optimizing_calc_differential_test.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "optimise/sparse_system.h"
#include "optimise/system_terms.h"
#include "optimise_fixture.h"

namespace ombrix {
namespace {

// Every entry of the pattern set to a value the fill must overwrite.
void Poison(SparseMatrix& a) {
  for (std::size_t e = 0; e < a.entries(); ++e)
    a.value(e) = 99;
}

// z'Az read through At, so that nothing of the storage is assumed.
double QuadraticForm(const SparseMatrix& a, const std::vector<double>& z) {
  double q = 0;
  for (std::int32_t k = 1; k <= a.size(); ++k) {
    for (std::int32_t m = 1; m <= a.size(); ++m)
      q += z[k - 1] * a.At(k, m) * z[m - 1];
  }
  return q;
}

// The membrane and thin-plate energies by their definitions.
std::pair<double, double> Energies(const std::vector<double>& z, std::int32_t nx, std::int32_t ny) {
  std::pair<double, double> energies{0, 0};
  testing::ForEachEnergyTerm(nx, ny, [&](const testing::EnergyTerm& t) {
    double d = 0;
    for (std::size_t u = 0; u < t.nodes.size(); ++u)
      d += t.c[u] * z[t.nodes[u] - 1];
    (t.membrane ? energies.first : energies.second) += t.factor * d * d;
  });
  return energies;
}

TEST(SystemTerms, QuadraticFormsAreTheEnergiesAndTheWeightedSumIsSymmetric) {
  for (const auto& [nx, ny] :
       {std::pair{5, 7}, std::pair{7, 4}, std::pair{2, 6}, std::pair{6, 7}, std::pair{1, 4},
        std::pair{4, 1}, std::pair{4, 2}, std::pair{2, 2}}) {
    SCOPED_TRACE(::testing::Message() << nx << " x " << ny);
    SparseMatrix l(nx, ny), h(nx, ny), s(nx, ny);
    Poison(l);
    Poison(h);
    Poison(s);
    FillMembrane(l, 1);
    FillMembraneCurvature(h, 0, 1);
    FillMembraneCurvature(s, 0.75, 2.5);
    for (std::int32_t k = 1; k <= h.size(); ++k) {
      for (std::int32_t m = 1; m <= h.size(); ++m) {
        EXPECT_EQ(h.At(k, m), h.At(m, k)) << k << ", " << m;
        EXPECT_EQ(l.At(k, m), l.At(m, k)) << k << ", " << m;
        EXPECT_EQ(s.At(k, m), 2.5 * h.At(k, m) + 0.75 * l.At(k, m)) << k << ", " << m;
      }
    }
    std::mt19937 rng(static_cast<std::uint32_t>(nx * 100 + ny));
    std::uniform_int_distribution<int> digit(-9, 9);
    for (int round = 0; round < 5; ++round) {
      std::vector<double> z(static_cast<std::size_t>(nx * ny));
      for (double& v : z)
        v = digit(rng);
      // Small integers: exact.
      EXPECT_EQ(std::pair(QuadraticForm(l, z), QuadraticForm(h, z)), Energies(z, nx, ny))
          << "round " << round;
    }
  }
}

}  // namespace
}  // namespace ombrix
