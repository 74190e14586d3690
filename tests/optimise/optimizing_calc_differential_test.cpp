// The optimiser against a slow dense computation that follows the defining loops literally:
// N x N matrices, every row summed over every column.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "fakes/fake_window_ops.h"
#include "optimise/optimizing_calc.h"
#include "optimise_fixture.h"

namespace ombrix {
namespace {

using testing::MakeModel;
using testing::TestPoint;

struct Dense {
  std::int32_t n = 0;
  std::vector<double> a;
  explicit Dense(std::int32_t size)
      : n(size), a(static_cast<std::size_t>(size) * static_cast<std::size_t>(size), 0.0) {}
  double& operator()(std::int32_t r, std::int32_t c) {
    return a[static_cast<std::size_t>(r - 1) * static_cast<std::size_t>(n) +
             static_cast<std::size_t>(c - 1)];
  }
};

struct DenseRun {
  Dense membrane{0};
  Dense system_before_data{0};
  Dense weighted_data{0};
  std::vector<double> right_side;
  std::vector<double> solution;
  std::int32_t sweeps = 0;
};

DenseRun DenseReference(const MeshModel& m) {
  const std::int32_t nx = m.NodeCountX;
  const std::int32_t ny = m.NodeCountY;
  const std::int32_t n = nx * ny;
  DenseRun run;
  Dense l(n), h(n), mm(n), s(n), d(n);
  std::vector<double> r(static_cast<std::size_t>(n) + 1, 0.0);
  // Membrane and curvature from their energies: each squared difference (c . z)^2 over the
  // nodes `at` adds factor c c' to the matrix. Entries are small integers, so the order of the
  // sums does not show.
  const auto add = [](Dense& a, std::vector<std::int32_t> at, std::vector<double> c,
                      double factor) {
    for (std::size_t u = 0; u < at.size(); ++u) {
      for (std::size_t v = 0; v < at.size(); ++v) {
        a(at[u], at[v]) += factor * c[u] * c[v];
      }
    }
  };
  for (std::int32_t i = 1; i <= ny; ++i) {
    for (std::int32_t j = 1; j <= nx; ++j) {
      const std::int32_t k = (i - 1) * nx + j;
      if (j < nx) {
        add(l, {k, k + 1}, {1, -1}, 1);
      }
      if (i < ny) {
        add(l, {k, k + nx}, {1, -1}, 1);
      }
      if (1 < j && j < nx) {
        add(h, {k - 1, k, k + 1}, {1, -2, 1}, 1);
      }
      if (1 < i && i < ny) {
        add(h, {k - nx, k, k + nx}, {1, -2, 1}, 1);
      }
      if (i < ny && j < nx) {
        add(h, {k, k + 1, k + nx, k + nx + 1}, {1, -1, -1, 1}, 2);
      }
    }
  }
  for (std::size_t e = 0; e < mm.a.size(); ++e) {
    mm.a[e] = m.MembraneWeight * l.a[e];
  }
  for (std::size_t e = 0; e < s.a.size(); ++e) {
    s.a[e] = m.CurvatureWeight * h.a[e] + mm.a[e];
  }
  run.membrane = mm;
  run.system_before_data = s;
  // Data term, and the five-point sums on the same visits.
  double total = 0;
  std::vector<double> node_sum(static_cast<std::size_t>(n) + 1, 0.0);
  std::vector<std::int32_t> node_hits(static_cast<std::size_t>(n) + 1, 0);
  for (std::int32_t p = 1; p <= m.PointCount; ++p) {
    const double x = m.PointX(p), y = m.PointY(p), v = m.PointValue(p);
    for (std::int32_t i = 1; i <= ny - 1; ++i) {
      for (std::int32_t j = 1; j <= nx - 1; ++j) {
        if (!(m.NodeX(j) <= x && x <= m.NodeX(j + 1) && m.NodeY(i + 1) <= y && y <= m.NodeY(i))) {
          continue;
        }
        const double ss = (x - m.NodeX(j)) / (m.NodeX(j + 1) - m.NodeX(j));
        const double t = (y - m.NodeY(i)) / (m.NodeY(i + 1) - m.NodeY(i));
        const double w[4] = {(1 - ss) * (1 - t), ss * (1 - t), (1 - ss) * t, ss * t};
        const std::int32_t k = (i - 1) * nx + j;
        const std::int32_t c[4] = {k, k + 1, k + nx, k + nx + 1};
        for (int a = 0; a < 4; ++a) {
          for (int b = 0; b < 4; ++b) {
            d(c[a], c[b]) += w[a] * w[b];
          }
          r[static_cast<std::size_t>(c[a])] += w[a] * v;
        }
        total += v;
        for (int a = 0; a < 4; ++a) {
          node_sum[static_cast<std::size_t>(c[a])] += v;
          node_hits[static_cast<std::size_t>(c[a])] += 1;
        }
      }
    }
  }
  run.weighted_data = Dense(n);
  for (std::size_t e = 0; e < s.a.size(); ++e) {
    run.weighted_data.a[e] = m.DataWeight * d.a[e];
    s.a[e] += m.DataWeight * d.a[e];
  }
  for (std::int32_t k = 1; k <= n; ++k) {
    r[static_cast<std::size_t>(k)] *= m.DataWeight;
    run.right_side.push_back(r[static_cast<std::size_t>(k)]);
  }
  // Initial values.
  std::vector<double> sol(static_cast<std::size_t>(n) + 1, 0.0);
  if (m.InitialValueMode == 1) {
    double sum = 0;
    for (std::int32_t p = 1; p <= m.PointCount; ++p) {
      sum += m.PointValue(p);
    }
    const double mean = sum / m.PointCount;
    for (std::int32_t k = 1; k <= n; ++k) {
      sol[static_cast<std::size_t>(k)] = mean;
    }
  } else {
    const double mean = total / m.PointCount;
    std::vector<std::vector<double>> ns(static_cast<std::size_t>(ny) + 2,
                                        std::vector<double>(static_cast<std::size_t>(nx) + 2, 0));
    for (std::int32_t i = 1; i <= ny; ++i) {
      for (std::int32_t j = 1; j <= nx; ++j) {
        const auto k = static_cast<std::size_t>((i - 1) * nx + j);
        ns[i][j] = node_hits[k] > 1 ? node_sum[k] / node_hits[k] : mean;
      }
    }
    for (std::int32_t i = 1; i <= ny; ++i) {
      for (std::int32_t j = 1; j <= nx; ++j) {
        ns[i][j] =
            (ns[i - 1][j] + ns[i][j - 1] + ns[i][j + 1] + ns[i + 1][j + 1] + 4 * ns[i][j]) / 8;
        sol[static_cast<std::size_t>((i - 1) * nx + j)] = ns[i][j];
      }
    }
  }
  // Relaxation.
  for (;;) {
    run.sweeps += 1;
    double max_change = 0;
    for (std::int32_t k = 1; k <= n; ++k) {
      double sigma = 0;
      for (std::int32_t mcol = 1; mcol <= n; ++mcol) {
        sigma = sigma + s(k, mcol) * sol[static_cast<std::size_t>(mcol)];
      }
      sigma = sigma - s(k, k) * sol[static_cast<std::size_t>(k)];
      const double g = (r[static_cast<std::size_t>(k)] - sigma) / s(k, k);
      const double old = sol[static_cast<std::size_t>(k)];
      const double change = old == 0 ? std::fabs(g - old) : std::fabs((g - old) / old);
      if (max_change < change) {
        max_change = change;
      }
      sol[static_cast<std::size_t>(k)] = old + m.RelaxationFactor * (g - old);
    }
    if (max_change <= m.ConvergenceLimit || run.sweeps >= 200000) {
      break;
    }
  }
  run.solution.assign(sol.begin() + 1, sol.end());
  return run;
}

class CapturingListings : public OptimizeListings {
 public:
  std::vector<std::vector<double>> listed;  // L1, L2, L3 expanded to dense, then R, then L4
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
      for (std::int32_t m = 1; m <= a.size(); ++m) {
        dense.push_back(a.At(k, m));
      }
    }
    return dense;
  }
};

void ExpectSameBits(const std::vector<double>& got, const std::vector<double>& want,
                    const char* what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (std::size_t e = 0; e < got.size(); ++e) {
    // Zero entries left out of the sparse rows read as +0; a dense entry may be -0.
    if (got[e] == 0 && want[e] == 0) {
      continue;
    }
    ASSERT_EQ(std::bit_cast<std::uint64_t>(got[e]), std::bit_cast<std::uint64_t>(want[e]))
        << what << " entry " << e << ": " << got[e] << " vs " << want[e];
  }
}

MeshModel RandomCase(std::mt19937& rng, std::int32_t mode) {
  std::uniform_int_distribution<int> side(2, 9);  // from 5 on, rows with the full stencil
  std::uniform_real_distribution<double> step(0.3, 2.0);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const int nx = side(rng), ny = side(rng);
  std::vector<double> xs{unit(rng) * 3 - 1}, ys{unit(rng) * 3 + 10};
  for (int j = 1; j < nx; ++j) {
    xs.push_back(xs.back() + step(rng));
  }
  for (int i = 1; i < ny; ++i) {
    ys.push_back(ys.back() - step(rng));
  }
  std::vector<TestPoint> points;
  const int count = std::uniform_int_distribution<int>(1, 14)(rng);
  for (int p = 0; p < count; ++p) {
    TestPoint tp;
    const double kind = unit(rng);
    std::uniform_int_distribution<std::size_t> col(0, xs.size() - 1), row(0, ys.size() - 1);
    if (kind < 0.2) {  // exactly on a node
      tp.x = xs[col(rng)];
      tp.y = ys[row(rng)];
    } else if (kind < 0.35) {  // on a column line
      tp.x = xs[col(rng)];
      tp.y = ys.back() + unit(rng) * (ys.front() - ys.back());
    } else if (kind < 0.45) {  // outside the mesh
      tp.x = xs.back() + 1 + unit(rng);
      tp.y = ys.front();
    } else {
      tp.x = xs.front() + unit(rng) * (xs.back() - xs.front());
      tp.y = ys.back() + unit(rng) * (ys.front() - ys.back());
    }
    tp.v = unit(rng) * 25 - 5;
    points.push_back(tp);
  }
  // At least one point inside, so the run is not refused.
  points.push_back({(xs[0] + xs[1]) / 2, (ys[0] + ys[1]) / 2, unit(rng) * 10 + 1});
  return MakeModel(xs, ys, points, 0.1 + unit(rng) * 2, unit(rng) * 2, 0.5 + unit(rng) * 20,
                   0.8 + unit(rng) * 0.9, 1e-9, mode);
}

void CompareOnRandomMeshes(std::int32_t mode, unsigned seed) {
  std::mt19937 rng(seed);
  for (int run = 0; run < 40; ++run) {
    SCOPED_TRACE(::testing::Message() << "mode " << mode << " run " << run);
    MeshModel m = RandomCase(rng, mode);
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
    ExpectSameBits(listings.listed[0], want.membrane.a, "L1");
    ExpectSameBits(listings.listed[1], want.system_before_data.a, "L2");
    ExpectSameBits(listings.listed[2], want.weighted_data.a, "L3");
    ExpectSameBits(listings.listed[3], want.right_side, "RightSide");
    ExpectSameBits(listings.listed[4], want.solution, "L4");
    EXPECT_EQ(testing::NodeBlanks(m), std::vector<std::int32_t>(want.solution.size(), 0));
    ExpectSameBits(testing::NodeValues(m), want.solution, "NodeValue");
  }
}

// Mode 0 starts from the weighted five-point means, mode 1 from the overall mean.
TEST(OptimizingCalcDifferential, BothStartsMatchDenseBitForBit) {
  CompareOnRandomMeshes(0, 1234);
  CompareOnRandomMeshes(1, 98765);
}

TEST(OptimizingCalcDifferential, ZeroStartUsesAbsoluteChangeLikeTheDenseLoop) {
  // Values +3 and -3 at one place give the mean 0 and a zero right side: every node starts
  // and stays at exactly 0, which the relative change would divide by.
  MeshModel m =
      MakeModel({0, 1, 2}, {2, 1, 0}, {{0.5, 1.5, 3}, {0.5, 1.5, -3}}, 1, 1, 10, 1.2, 1e-10, 1);
  const DenseRun want = DenseReference(m);
  testing::FakeEventPump events;
  std::vector<double> first_changes;
  const OptimizeResult got = OptimizingCalc(
      m, events, {.on_sweep = [&](std::int32_t, double c) { first_changes.push_back(c); }});
  EXPECT_EQ(got.SweepCount, want.sweeps);
  ASSERT_FALSE(first_changes.empty());
  EXPECT_EQ(got.SweepCount, 1);
  EXPECT_EQ(first_changes[0], 0);
  EXPECT_EQ(got.MaxChange, 0);
  ExpectSameBits(testing::NodeValues(m), want.solution, "NodeValue");
}

}  // namespace
}  // namespace ombrix
