#include "optimise/relaxation.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "model/numeric.h"
#include "model/run_error.h"

namespace ombrix {

void ThrowNodeOverflow(std::int32_t k) {
  throw RunError(err::kOverflow, "オーバーフローしました: 節点 " + std::to_string(k) +
                                     " の値が発散しました（緩和係数を確かめて下さい）。");
}

double RelaxationSweep(const SparseMatrix& a, const std::vector<double>& b, double omega,
                       std::vector<double>& z) {
  double max_change = 0;
  const std::int32_t n = a.size();
  for (std::int32_t k = 1; k <= n; ++k) {
    const auto kk = static_cast<std::size_t>(k - 1);
    // The whole row in column order (earlier nodes already updated in this sweep), then the
    // diagonal term taken back out.
    double sigma = 0;
    for (std::size_t e = a.begin(k); e < a.end(k); ++e) {
      sigma += a.value(e) * z[static_cast<std::size_t>(a.column(e) - 1)];
    }
    const double diagonal = a.value(a.diagonal(k));
    const double old = z[kk];
    sigma -= diagonal * old;
    const double g = CheckedDivide(b[kk] - sigma, diagonal, "SOR 法の対角要素");
    // Relative change of the plain Gauss-Seidel value; absolute where the old value is 0.
    const double change = old == 0 ? std::fabs(g - old) : std::fabs((g - old) / old);
    const double next = old + omega * (g - old);
    if (!std::isfinite(change) || !std::isfinite(next)) {
      ThrowNodeOverflow(k);
    }
    if (max_change < change) {
      max_change = change;
    }
    z[kk] = next;
  }
  return max_change;
}

}  // namespace ombrix
