#pragma once
// Fits the mesh to the scattered points: the node values minimise w1 * (membrane term) +
// w2 * (curvature term) + w3 * (data term), found by successive over-relaxation on the normal
// equations. Only the node coordinates and the points matter; the loaded node values do not.

#include <cstdint>
#include <functional>

#include "model/mesh_model.h"
#include "optimise/optimize_listings.h"
#include "platform/event_pump.h"

namespace ombrix {

inline constexpr std::int32_t kSweepLimit = 1'000'000;

struct OptimizeObservers {
  // Called after every sweep, once its convergence test is done.
  std::function<void(std::int32_t sweep, double max_change)> on_sweep = nullptr;
  // The four listings, used only when InfoDisplayMode is 1.
  OptimizeListings* listings = nullptr;
  // Called once when the sweeps are about to start.
  std::function<void()> before_sweeps = nullptr;
};

struct OptimizeOptions {
  // How the sweeps run: 0 chooses from the mesh size; 1 or more takes the wavefront sweep on
  // that many threads. The result never depends on it.
  int threads = 0;
};

enum class OptimizeOutcome { Converged, Cancelled };

struct OptimizeResult {
  OptimizeOutcome outcome = OptimizeOutcome::Converged;
  std::int32_t SweepCount = 0;
  double MaxChange = 0;
};

// Runs the whole fit and, when it converges, writes every node value and clears every blank
// flag. Pending events are processed at the start of every sweep; a cancel request seen then
// ends the run (Cancelled). Errors (RunError), all before the model is touched: no scattered
// point or no mesh, no point in any mesh cell, a zero diagonal or equal neighbouring coordinates
// around a point (11, or 6 for 0 / 0), overflow (6), no convergence after kSweepLimit sweeps. A
// cancelled or failed run leaves the model as it was.
OptimizeResult OptimizingCalc(MeshModel& model, EventPump& events,
                              const OptimizeObservers& observers = {},
                              const OptimizeOptions& options = {});

}  // namespace ombrix
