#include "optimise/initial_values.h"

#include <cmath>
#include <cstdint>

#include "model/numeric.h"
#include "model/run_error.h"

namespace ombrix {
namespace {

double Finite(double value, const char* what) {
  if (!std::isfinite(value)) {
    throw RunError(err::kOverflow, std::string("オーバーフローしました: ") + what + "。");
  }
  return value;
}

}  // namespace

std::vector<double> InitialValues(const MeshModel& m, const std::vector<PointCell>& pairs) {
  const std::int32_t nx = m.NodeCountX;
  const std::int32_t ny = m.NodeCountY;
  const auto n = static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny);
  const double count = m.PointCount;

  if (m.InitialValueMode == 1) {
    double sum = 0;
    for (std::int32_t p = 1; p <= m.PointCount; ++p) {
      sum += m.PointValue(p);
    }
    const double mean = Finite(CheckedDivide(sum, count, "初期値の平均"), "初期値の平均");
    return std::vector<double>(n, mean);
  }

  // Step 1: every (point, cell) pair adds its value to the total once and to each corner.
  double total = 0;
  std::vector<double> sum(n, 0.0);
  std::vector<std::int32_t> hits(n, 0);
  for (const PointCell& pc : pairs) {
    const double v = m.PointValue(pc.p);
    total += v;
    const std::size_t k = static_cast<std::size_t>(pc.i - 1) * static_cast<std::size_t>(nx) +
                          static_cast<std::size_t>(pc.j - 1);
    for (const std::size_t c :
         {k, k + 1, k + static_cast<std::size_t>(nx), k + static_cast<std::size_t>(nx) + 1}) {
      sum[c] += v;
      hits[c] += 1;
    }
  }
  Finite(total, "初期値の合計");
  // Step 2: the mean divides by every point, those in no cell included.
  const double mean = Finite(CheckedDivide(total, count, "初期値の平均"), "初期値の平均");
  // Step 3: a node touched once takes the mean, not its one value.
  for (std::size_t k = 0; k < n; ++k) {
    sum[k] = hits[k] > 1 ? Finite(sum[k], "初期値の節点和") / hits[k] : mean;
  }
  // Step 4: one pass in place of (U + W + E + SE + 4 own) / 8; U and W already smoothed, SE
  // the lower-right diagonal neighbour, a neighbour outside the mesh 0.
  auto at = [&](std::int32_t i, std::int32_t j) -> double {
    if (i < 1 || i > ny || j < 1 || j > nx) {
      return 0.0;
    }
    return sum[static_cast<std::size_t>(i - 1) * static_cast<std::size_t>(nx) +
               static_cast<std::size_t>(j - 1)];
  };
  for (std::int32_t i = 1; i <= ny; ++i) {
    for (std::int32_t j = 1; j <= nx; ++j) {
      const double u = at(i - 1, j);
      const double w = at(i, j - 1);
      const double e = at(i, j + 1);
      const double se = at(i + 1, j + 1);
      const double own = at(i, j);
      sum[static_cast<std::size_t>(i - 1) * static_cast<std::size_t>(nx) +
          static_cast<std::size_t>(j - 1)] =
          Finite((u + w + e + se + 4 * own) / 8, "初期値の平滑化");
    }
  }
  return sum;
}

}  // namespace ombrix
