#pragma once
// `ombrix optimise MESH POINTS [--initial weighted|mean]`: the mesh fitted to the scattered
// points, as the optimisation command computes it.

#include <ostream>
#include <string>
#include <vector>

#include "cli/run_guard.h"

namespace ombrix::cli {

// Prints "sweeps,N" then "node,i,j,VALUE" for every node, row by row.
int PrintOptimisedMesh(const std::vector<std::string>& args, std::ostream& out);

}  // namespace ombrix::cli
