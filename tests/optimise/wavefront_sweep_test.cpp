// The wavefront sweep against the row-by-row sweep (itself checked against the dense loops), bit
// for bit, sweep after sweep, whatever the mesh shape and thread count.

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "optimise/relaxation.h"
#include "optimise/wavefront_sweep.h"
#include "optimise_fixture.h"

namespace ombrix {
namespace {

// The optimiser's system of a random mesh with `points` points (see RandomModel), and a start
// with some exact zeros, where the absolute change is used.
struct Problem {
  testing::FitSystem fit;
  std::vector<double> start;
};
Problem MakeProblem(std::int32_t nx, std::int32_t ny, int points, std::mt19937& rng) {
  Problem pr{testing::RandomSystem(rng, nx, ny, points), {}};
  std::uniform_real_distribution<double> start(-5, 25);
  for (std::size_t k = 0; k < pr.fit.right_side.size(); ++k)
    pr.start.push_back(k % 17 == 3 ? 0.0 : start(rng));
  return pr;
}

void ExpectSameSweeps(std::int32_t nx, std::int32_t ny, int points, unsigned seed) {
  std::mt19937 rng(seed);
  const Problem pr = MakeProblem(nx, ny, points, rng);
  std::vector<double> want = pr.start;
  std::vector<double> want_changes;
  for (int sweep = 0; sweep < 12; ++sweep)
    want_changes.push_back(RelaxationSweep(pr.fit.system, pr.fit.right_side, 1.5, want));
  // Both kernels: the one for AVX2 (where the processor has it) and the baseline one.
  for (int run = 0; run < 8; ++run) {
    const int threads = run % 4 + 1;
    const bool avx2 = run < 4;
    SCOPED_TRACE(::testing::Message() << nx << " x " << ny << ", " << points << " points, "
                                      << threads << " threads, AVX2 " << avx2);
    WavefrontSweep fast(pr.fit.system, pr.fit.right_side, pr.start, threads, avx2);
    ASSERT_TRUE(fast.usable());
    for (const double change : want_changes) {
      ASSERT_EQ(std::bit_cast<std::uint64_t>(fast.Sweep(1.5)), std::bit_cast<std::uint64_t>(change))
          << "sweep " << &change - want_changes.data();
    }
    std::vector<double> got;
    fast.CopyOut(got);
    testing::ExpectSameBits(got, want, "node values");
  }
}

TEST(WavefrontSweep, SameValuesAndChangesAsTheRowByRowSweep) {
  // Widths around the lane count and the stencil reach, lines, tall and wide meshes, meshes
  // with few points (mostly the shared stencil), points in every cell, and blocks for threads.
  const std::tuple<std::int32_t, std::int32_t, int> shapes[] = {
      {1, 9, 0},  {11, 1, 0},   {2, 2, 3},     {3, 5, 4},      {5, 3, -1},
      {7, 13, 6}, {13, 7, -1},  {9, 30, 12},   {37, 21, 40},   {4, 41, -1},
      {64, 9, 5}, {23, 150, 9}, {150, 23, -1}, {71, 133, 300}, {40, 270, 60}};
  unsigned seed = 11;
  for (const auto& [nx, ny, points] : shapes)
    ExpectSameSweeps(nx, ny, points, ++seed);
}

TEST(WavefrontSweep, OverflowNamesTheFirstNodeInNodeOrderAZeroDiagonalIsRefused) {
  std::mt19937 rng(5);
  const Problem pr = MakeProblem(19, 140, 30, rng);
  std::string want;
  std::vector<double> z = pr.start;
  try {
    for (;;)
      RelaxationSweep(pr.fit.system, pr.fit.right_side, 3.5, z);
  } catch (const RunError& e) {
    want = e.what();
  }
  ASSERT_NE(want.find("節点"), std::string::npos);
  for (int threads = 1; threads <= 3; ++threads) {
    WavefrontSweep fast(pr.fit.system, pr.fit.right_side, pr.start, threads);
    try {
      for (;;)
        fast.Sweep(3.5);
    } catch (const RunError& e) {
      EXPECT_EQ(e.what(), want) << threads << " threads";
    }
  }
  // A zero diagonal is left to the row-by-row sweep.
  const SparseMatrix zero(3, 2);
  EXPECT_FALSE(
      WavefrontSweep(zero, std::vector<double>(6, 1.0), std::vector<double>(6, 1.0), 1).usable());
}

}  // namespace
}  // namespace ombrix
