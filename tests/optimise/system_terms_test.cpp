// The membrane L and curvature H terms entry by entry, on lines too (the solvers' tests assemble
// them); the whole system is optimizing_calc_differential_test's, from two nodes a side.

#include <gtest/gtest.h>

#include <cstddef>
#include <utility>

#include "optimise/system_terms.h"
#include "optimise_fixture.h"

namespace ombrix {
namespace {

TEST(SystemTerms, EveryEntryIsTheWeightedEnergies) {
  for (const auto& [nx, ny] : {std::pair{5, 7}, std::pair{7, 4}, std::pair{2, 6}, std::pair{1, 4},
                               std::pair{4, 1}, std::pair{4, 2}, std::pair{2, 2}}) {
    SCOPED_TRACE(::testing::Message() << nx << " x " << ny);
    SparseMatrix l(nx, ny), s(nx, ny);
    for (std::size_t e = 0; e < l.entries(); ++e)
      l.value(e) = s.value(e) = 99;  // a value the fill must overwrite
    FillMembrane(l, 0.75);
    FillMembraneCurvature(s, 0.75, 2.5);
    const testing::EnergyMatrices want(nx, ny);
    for (std::int32_t k = 1; k <= l.size(); ++k) {
      for (std::int32_t m = 1; m <= l.size(); ++m) {
        const double membrane = 0.75 * want.membrane[(k - 1) * l.size() + m - 1];
        EXPECT_EQ(l.At(k, m), membrane) << k << ", " << m;
        EXPECT_EQ(s.At(k, m), 2.5 * want.curvature[(k - 1) * l.size() + m - 1] + membrane)
            << k << ", " << m;
      }
    }
  }
}

}  // namespace
}  // namespace ombrix
