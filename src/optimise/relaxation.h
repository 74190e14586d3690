#pragma once
// One sweep of successive over-relaxation over the system.

#include <cstdint>
#include <vector>

#include "optimise/sparse_system.h"

namespace ombrix {

// Updates solution (node k at index k - 1) in node order and returns the largest change:
// for each node, g = (b_k - sum over m != k of A(k, m) z_m) / A(k, k), its change |(g - z_k) /
// z_k| (|g - z_k| when z_k is exactly 0), then z_k += omega * (g - z_k). Error 11 (or 6) for a
// zero diagonal, 6 when a value overflows.
double RelaxationSweep(const SparseMatrix& system, const std::vector<double>& right_side,
                       double omega, std::vector<double>& solution);

}  // namespace ombrix

namespace ombrix {

// Error 6 for node k (numbered from 1) whose value overflowed in a sweep.
[[noreturn]] void ThrowNodeOverflow(std::int32_t k);

}  // namespace ombrix
