#pragma once
// Starting values of the relaxation, by the initial-value mode.

#include <vector>

#include "model/mesh_model.h"
#include "optimise/point_cells.h"

namespace ombrix {

// Node k = (i - 1) * nx + j at index k - 1. Mode 1: every node the mean of all point values.
// Mode 0 (any other value): the weighted five-point mean: each node the mean of the values of
// the (point, cell) pairs touching it when there are at least two, else the overall mean, then
// one smoothing pass in place. Requires PointCount > 0; error 6 on overflow.
std::vector<double> InitialValues(const MeshModel& model, const std::vector<PointCell>& pairs);

}  // namespace ombrix
