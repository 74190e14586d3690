// The optimiser against a slow dense computation that follows the defining loops literally:
// N x N matrices, every row summed over every column.

#include <gtest/gtest.h>

#include <algorithm>

#include "optimise_fixture.h"

namespace ombrix {
namespace {

// An n x n matrix, rows and columns from 1, stored row by row.
struct Dense {
  std::int32_t n = 0;
  std::vector<double> a;
  explicit Dense(std::int32_t size) : n(size), a(size * size, 0.0) {}
  double& operator()(std::int32_t r, std::int32_t c) { return a[(r - 1) * n + c - 1]; }
};

struct DenseRun {
  Dense membrane{0}, system_before_data{0}, weighted_data{0};
  std::vector<double> right_side, solution;
  std::int32_t sweeps = 0;
};

DenseRun DenseReference(const MeshModel& m) {
  const std::int32_t nx = m.NodeCountX, ny = m.NodeCountY, n = nx * ny;
  DenseRun run{Dense(n), Dense(n), Dense(n), {}, {}, 0};
  const testing::EnergyMatrices energies(nx, ny);
  for (std::size_t e = 0; e < energies.membrane.size(); ++e) {
    run.membrane.a[e] = m.MembraneWeight * energies.membrane[e];
    run.system_before_data.a[e] = m.CurvatureWeight * energies.curvature[e] + run.membrane.a[e];
  }
  // The data term, and the five-point sums on the same visits.
  Dense& d = run.weighted_data;
  std::vector<double> r(n + 1, 0.0), node_sum(n + 1, 0.0);
  std::vector<std::int32_t> node_hits(n + 1, 0);
  double total = 0;
  for (std::int32_t p = 1; p <= m.PointCount; ++p) {
    const double x = m.PointX(p), y = m.PointY(p), v = m.PointValue(p);
    for (std::int32_t i = 1; i < ny; ++i) {
      for (std::int32_t j = 1; j < nx; ++j) {
        if (!(m.NodeX(j) <= x && x <= m.NodeX(j + 1) && m.NodeY(i + 1) <= y && y <= m.NodeY(i)))
          continue;
        const double ss = (x - m.NodeX(j)) / (m.NodeX(j + 1) - m.NodeX(j));
        const double t = (y - m.NodeY(i)) / (m.NodeY(i + 1) - m.NodeY(i));
        const double w[4] = {(1 - ss) * (1 - t), ss * (1 - t), (1 - ss) * t, ss * t};
        const std::int32_t k = (i - 1) * nx + j, c[4] = {k, k + 1, k + nx, k + nx + 1};
        total += v;
        for (int a = 0; a < 4; ++a) {
          for (int b = 0; b < 4; ++b)
            d(c[a], c[b]) += w[a] * w[b];
          r[c[a]] += w[a] * v;
          node_sum[c[a]] += v;
          node_hits[c[a]] += 1;
        }
      }
    }
  }
  Dense s = run.system_before_data;
  for (std::size_t e = 0; e < s.a.size(); ++e) {
    d.a[e] *= m.DataWeight;
    s.a[e] += d.a[e];
  }
  for (std::int32_t k = 1; k <= n; ++k)
    run.right_side.push_back(r[k] *= m.DataWeight);
  // Starting values: the mean of every point (mode 1), or the five-point means smoothed.
  double sum = 0;
  for (std::int32_t p = 1; p <= m.PointCount; ++p)
    sum += m.PointValue(p);
  std::vector<double> sol(n + 1, 0.0);
  std::vector<std::vector<double>> ns(ny + 2, std::vector<double>(nx + 2, 0));
  for (std::int32_t i = 1; i <= ny; ++i) {
    for (std::int32_t j = 1; j <= nx; ++j) {
      const std::int32_t k = (i - 1) * nx + j;
      ns[i][j] = node_hits[k] > 1 ? node_sum[k] / node_hits[k] : total / m.PointCount;
    }
  }
  for (std::int32_t i = 1; i <= ny; ++i) {
    for (std::int32_t j = 1; j <= nx; ++j) {
      ns[i][j] = (ns[i - 1][j] + ns[i][j - 1] + ns[i][j + 1] + ns[i + 1][j + 1] + 4 * ns[i][j]) / 8;
      sol[(i - 1) * nx + j] = m.InitialValueMode == 1 ? sum / m.PointCount : ns[i][j];
    }
  }
  for (run.sweeps = 1;; ++run.sweeps) {
    double max_change = 0;
    for (std::int32_t k = 1; k <= n; ++k) {
      double sigma = 0;
      for (std::int32_t col = 1; col <= n; ++col)
        sigma = sigma + s(k, col) * sol[col];
      sigma = sigma - s(k, k) * sol[k];
      const double g = (r[k] - sigma) / s(k, k), old = sol[k];
      max_change = std::max(max_change, old == 0 ? std::fabs(g - old) : std::fabs((g - old) / old));
      sol[k] = old + m.RelaxationFactor * (g - old);
    }
    if (max_change <= m.ConvergenceLimit || run.sweeps >= 200000)
      break;
  }
  run.solution.assign(sol.begin() + 1, sol.end());
  return run;
}

// The listings, the matrices written out dense: L1, L2, L3, the right side, L4.
class CapturingListings : public OptimizeListings {
 public:
  std::vector<std::vector<double>> listed;
  void ListMembrane(const SparseMatrix& a) override { listed.push_back(Expand(a)); }
  void ListMembraneCurvature(const SparseMatrix& a) override { listed.push_back(Expand(a)); }
  void ListData(const SparseMatrix& a, const std::vector<double>& r) override {
    listed.push_back(Expand(a));
    listed.push_back(r);
  }
  void ListSolution(const std::vector<double>& z) override { listed.push_back(z); }

 private:
  static std::vector<double> Expand(const SparseMatrix& a) {
    std::vector<double> dense;
    for (std::int32_t k = 1; k <= a.size(); ++k) {
      for (std::int32_t m = 1; m <= a.size(); ++m)
        dense.push_back(a.At(k, m));
    }
    return dense;
  }
};

// Mode 0 starts from the weighted five-point means, mode 1 from the overall mean.
TEST(OptimizingCalcDifferential, BothStartsMatchDenseBitForBit) {
  std::mt19937 rng(1234);
  std::uniform_int_distribution<int> side(2, 9), count(1, 14);  // from 5 on, the full stencil
  for (int run = 0; run < 80; ++run) {
    SCOPED_TRACE(::testing::Message() << "run " << run);
    const std::int32_t nx = side(rng), ny = side(rng);
    MeshModel m = testing::RandomModel(rng, nx, ny, count(rng), run % 2);
    m.InfoDisplayMode = 1;
    const DenseRun want = DenseReference(m);
    ASSERT_LT(want.sweeps, 200000);
    CapturingListings listings;
    testing::FakeEventPump events;
    // Threads give the same run (the sweep test covers every count).
    const OptimizeResult got =
        OptimizingCalc(m, events, {.listings = &listings}, {.threads = run % 8 == 0 ? 3 : 1});
    ASSERT_EQ(got.outcome, OptimizeOutcome::Converged);
    EXPECT_EQ(got.SweepCount, want.sweeps);
    ASSERT_EQ(listings.listed.size(), 5u);
    testing::ExpectSameBits(listings.listed[0], want.membrane.a, "L1");
    testing::ExpectSameBits(listings.listed[1], want.system_before_data.a, "L2");
    testing::ExpectSameBits(listings.listed[2], want.weighted_data.a, "L3");
    testing::ExpectSameBits(listings.listed[3], want.right_side, "RightSide");
    testing::ExpectSameBits(listings.listed[4], want.solution, "L4");
    testing::ExpectSameBits(testing::NodeValues(m), want.solution,
                            "NodeValue");  // blank flags cleared
  }
}

}  // namespace
}  // namespace ombrix
