#pragma once
// What the information display (mode 1) lists while the optimiser runs. The result window
// implements it; rows are read from the matrices on demand, so no listing needs N * N text.

#include <vector>

#include "optimise/sparse_system.h"

namespace ombrix {

class OptimizeListings {
 public:
  virtual ~OptimizeListings() = default;

  // L1: w1 * L.
  virtual void ListMembrane(const SparseMatrix& membrane) = 0;
  // L2: w2 * H + w1 * L.
  virtual void ListMembraneCurvature(const SparseMatrix& system) = 0;
  // L3: w3 times the data matrix, and the right side (already times w3; node k at k - 1).
  virtual void ListData(const SparseMatrix& weighted_data,
                        const std::vector<double>& right_side) = 0;
  // L4: the final solution (node k at k - 1).
  virtual void ListSolution(const std::vector<double>& solution) = 0;
};

}  // namespace ombrix
