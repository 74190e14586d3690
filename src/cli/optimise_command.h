#pragma once
// `ombrix optimise MESH POINTS [--initial weighted|mean] [--solver relaxation|exact] [--write]`:
// the mesh fitted to the scattered points, as the optimisation command computes it, and written
// back into MESH on request.

#include <ostream>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/run_guard.h"
#include "model/mesh_model.h"
#include "optimise/optimizing_calc.h"
#include "platform/command_context.h"

namespace ombrix::cli {

// Prints "sweeps,N" (with --solver exact "iterations,N" and "residual,R") then "node,i,j,VALUE" for
// every node, row by row. With --write the values and the marks of the cells holding points are
// saved into MESH first.
int PrintOptimisedMesh(const std::vector<std::string>& args, std::ostream& out);

// --initial weighted|mean, when given; UsageError for another value.
void ApplyInitialValueOption(const Arguments& args, MeshModel& model);

// --solver relaxation|exact, when given; UsageError for another value. Any command that fits
// the mesh takes it.
void ApplySolverOption(const Arguments& args, MeshModel& model);

// Fits the loaded mesh to the loaded points, with progress on a terminal's standard error;
// Interrupted when Ctrl+C stopped it (the model is then unchanged).
OptimizeResult OptimiseWithProgress(MeshModel& model);

// Reads the point workbook into the model and fits the loaded mesh to it as
// OptimiseWithProgress does.
void ImportPointsAndOptimise(CommandContext& ctx, const std::string& points_path);

}  // namespace ombrix::cli
