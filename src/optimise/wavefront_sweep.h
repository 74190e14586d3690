#pragma once
// The relaxation sweep ordered by wavefronts. Node (i, j) reads the new values of (i - 2, j),
// (i - 1, j - 1 .. j + 1) and (i, j - 2 .. j - 1) and the old values of everything after it, so
// every node of the wavefront t = 2i + j depends only on earlier wavefronts. The nodes of one
// wavefront are computed side by side (vector lanes over consecutive rows, and threads over row
// blocks, each block waiting for the one above), each with its own sum taken in the same column
// order as the row-by-row sweep: the values, and so the largest change, are the same bit for bit.
//
// The values are kept in a skewed layout: slot (t, R) holds the node of padded row R and padded
// column t - 2R, slots of one wavefront side by side, with two rows and columns of zeros around
// the mesh so that every node reads the full 13-point stencil. Rows of the system are kept once
// per distinct set of coefficients: nodes away from the sides and the points share one.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "optimise/sparse_system.h"

namespace ombrix {

class WavefrontSweep {
 public:
  // Takes the system and right side (node k at index k - 1) and the starting values. threads 0
  // picks a count from the mesh size and the machine; results do not depend on it. The kernel
  // built for AVX2 runs where the processor has it, unless `avx2` is false: then the one built
  // for the baseline instruction set runs, as on a processor without AVX2, with the same bits.
  WavefrontSweep(const SparseMatrix& system, const std::vector<double>& right_side,
                 const std::vector<double>& solution, int threads = 0, bool avx2 = true);
  ~WavefrontSweep();
  WavefrontSweep(const WavefrontSweep&) = delete;
  WavefrontSweep& operator=(const WavefrontSweep&) = delete;

  // False when some diagonal entry is 0: the row-by-row sweep must run instead, to report it.
  bool usable() const { return usable_; }
  int threads() const { return threads_; }

  // One sweep, as RelaxationSweep: returns the largest change; error 6 naming the first node
  // (in node order) whose value overflows.
  double Sweep(double omega);

  // The current values, node k at index k - 1.
  void CopyOut(std::vector<double>& solution) const;

  struct Shared;

 private:
  std::int32_t nx_ = 0, ny_ = 0;
  bool usable_ = true;
  int threads_ = 1;
  std::unique_ptr<Shared> shared_;
};

}  // namespace ombrix
