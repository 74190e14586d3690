#pragma once
// The exact solution of the fit's normal equations, beside the relaxation: conjugate gradients
// preconditioned by one multigrid V-cycle on the mesh (bilinear prolongation, Galerkin coarse
// matrices P'AP, symmetric Gauss-Seidel smoothing, a direct solve on the coarsest mesh). The
// relaxation stops where the largest relative change of a sweep falls below the limit, which
// is not the minimiser; this solver stops at a relative residual |b - Az| / |b| of at most
// kExactTolerance.

#include <cstdint>
#include <functional>
#include <vector>

#include "optimise/sparse_system.h"
#include "platform/event_pump.h"

namespace ombrix {

inline constexpr double kExactTolerance = 1e-12;
inline constexpr std::int32_t kExactIterationLimit = 500;

struct ExactSolveResult {
  bool cancelled = false;
  std::int32_t iterations = 0;
  double residual = 0;  // |b - Az| / |b| of the returned values, recomputed from them
};

// Solves system * z = right_side (node k at index k - 1) from the values in `solution`, for an
// nx-by-ny mesh. Pending events are processed before every iteration; a cancel request seen
// then returns with cancelled set and `solution` unspecified. after_iteration receives the
// iteration count and the relative residual. Errors (RunError): a system that is not positive
// definite (11), values that overflow (6), no convergence within kExactIterationLimit (6).
ExactSolveResult SolveExact(const SparseMatrix& system, const std::vector<double>& right_side,
                            std::vector<double>& solution, EventPump& events,
                            const std::function<void(std::int32_t, double)>& after_iteration = {});

}  // namespace ombrix
