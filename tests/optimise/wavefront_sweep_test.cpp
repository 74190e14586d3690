// The wavefront sweep against the row-by-row sweep (itself checked against the dense loops):
// the same values and the same largest change, bit for bit, sweep after sweep, whatever the mesh
// shape and thread count.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "model/run_error.h"
#include "optimise/relaxation.h"
#include "optimise/sparse_system.h"
#include "optimise/wavefront_sweep.h"
#include "optimise_fixture.h"

namespace ombrix {
namespace {

struct Problem {
  SparseMatrix system{0, 0};
  std::vector<double> right_side;
  std::vector<double> start;
};

// The optimiser's system for an nx-by-ny mesh of unit spacing with `points` random points (all
// cells holding one when points is -1), or, for meshes without cells, a random right side.
Problem MakeProblem(std::int32_t nx, std::int32_t ny, int points, std::mt19937& rng) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<double> xs, ys;
  for (std::int32_t j = 0; j < nx; ++j) {
    xs.push_back(j);
  }
  for (std::int32_t i = 0; i < ny; ++i) {
    ys.push_back(ny - 1 - i);
  }
  std::vector<testing::TestPoint> pts;
  if (points < 0) {
    for (std::int32_t i = 0; i + 1 < ny; ++i) {
      for (std::int32_t j = 0; j + 1 < nx; ++j) {
        pts.push_back({j + unit(rng), i + unit(rng), 50 * unit(rng) - 10});
      }
    }
  }
  for (int p = 0; p < points; ++p) {
    pts.push_back({unit(rng) * (nx - 1), unit(rng) * (ny - 1), 50 * unit(rng) - 10});
  }
  const MeshModel m = testing::MakeModel(xs, ys, pts, 0.5 + unit(rng), unit(rng) * 2,
                                         1 + 20 * unit(rng), 1.5, 0, 0);
  testing::FitSystem fit = testing::AssembleSystem(m);
  Problem pr{std::move(fit.system), std::move(fit.right_side), {}};
  if (nx == 1 || ny == 1) {  // no cells: a right side of its own
    for (double& r : pr.right_side) {
      r = 10 * unit(rng) - 5;
    }
  }
  for (std::size_t k = 0; k < pr.right_side.size(); ++k) {
    // Some exact zeros: the absolute change is used there.
    pr.start.push_back(k % 17 == 3 ? 0.0 : 30 * unit(rng) - 5);
  }
  return pr;
}

void ExpectSameSweeps(std::int32_t nx, std::int32_t ny, int points, unsigned seed) {
  std::mt19937 rng(seed);
  const Problem pr = MakeProblem(nx, ny, points, rng);
  std::vector<double> want = pr.start;
  std::vector<double> want_changes;
  for (int sweep = 0; sweep < 12; ++sweep) {
    want_changes.push_back(RelaxationSweep(pr.system, pr.right_side, 1.5, want));
  }
  // Both kernels: the one for AVX2 (where the processor has it) and the baseline one.
  for (int run = 0; run < 8; ++run) {
    const int threads = run % 4 + 1;
    const bool avx2 = run < 4;
    SCOPED_TRACE(::testing::Message() << nx << " x " << ny << ", " << points << " points, "
                                      << threads << " threads, AVX2 " << avx2);
    WavefrontSweep fast(pr.system, pr.right_side, pr.start, threads, avx2);
    ASSERT_TRUE(fast.usable());
    for (int sweep = 0; sweep < 12; ++sweep) {
      const double change = fast.Sweep(1.5);
      ASSERT_EQ(std::bit_cast<std::uint64_t>(change),
                std::bit_cast<std::uint64_t>(want_changes[static_cast<std::size_t>(sweep)]))
          << "sweep " << sweep;
    }
    std::vector<double> got;
    fast.CopyOut(got);
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t k = 0; k < got.size(); ++k) {
      ASSERT_EQ(std::bit_cast<std::uint64_t>(got[k]), std::bit_cast<std::uint64_t>(want[k]))
          << "node " << k + 1;
    }
  }
}

TEST(WavefrontSweep, SameValuesAndChangesAsTheRowByRowSweep) {
  // Widths around the lane count and the stencil reach, lines, tall and wide meshes, meshes
  // with few points (mostly the shared stencil), points in every cell, and blocks for threads.
  struct Shape {
    std::int32_t nx, ny;
    int points;
  };
  const Shape shapes[] = {{1, 9, 0},  {11, 1, 0},   {2, 2, 3},     {3, 5, 4},      {5, 3, -1},
                          {7, 13, 6}, {13, 7, -1},  {9, 30, 12},   {37, 21, 40},   {4, 41, -1},
                          {64, 9, 5}, {23, 150, 9}, {150, 23, -1}, {71, 133, 300}, {40, 270, 60}};
  unsigned seed = 11;
  for (const Shape& s : shapes) {
    ExpectSameSweeps(s.nx, s.ny, s.points, ++seed);
  }
}

TEST(WavefrontSweep, OverflowNamesTheFirstNodeInNodeOrder) {
  std::mt19937 rng(5);
  const Problem pr = MakeProblem(19, 140, 30, rng);
  std::string want;
  std::vector<double> z = pr.start;
  try {
    for (;;) {
      RelaxationSweep(pr.system, pr.right_side, 3.5, z);
    }
  } catch (const RunError& e) {
    want = e.what();
  }
  ASSERT_NE(want.find("節点"), std::string::npos);
  for (int threads = 1; threads <= 3; ++threads) {
    WavefrontSweep fast(pr.system, pr.right_side, pr.start, threads);
    try {
      for (;;) {
        fast.Sweep(3.5);
      }
    } catch (const RunError& e) {
      EXPECT_EQ(e.what(), want) << threads << " threads";
    }
  }
}

TEST(WavefrontSweep, ZeroDiagonalIsLeftToTheRowByRowSweep) {
  SparseMatrix a(3, 2);  // all zero
  WavefrontSweep fast(a, std::vector<double>(6, 1.0), std::vector<double>(6, 1.0), 1);
  EXPECT_FALSE(fast.usable());
}

}  // namespace
}  // namespace ombrix
