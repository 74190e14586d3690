#pragma once
// The three terms of the normal equations (w1 L + w2 H + w3 P'P) z = w3 P'v, assembled into
// the sparse stencil pattern of the mesh.

#include <vector>

#include "model/mesh_model.h"
#include "optimise/point_cells.h"
#include "optimise/sparse_system.h"

namespace ombrix {

// Every entry becomes w1 * L: L has the neighbour count on the diagonal and -1 for each
// neighbour, so z'Lz sums (z_a - z_b)^2 over neighbouring pairs.
void FillMembrane(SparseMatrix& matrix, double w1);

// Every entry becomes w2 * H + w1 * L, H being the thin-plate stencil (second differences
// along rows and columns, twice the mixed difference).
void FillMembraneCurvature(SparseMatrix& matrix, double w1, double w2);

// Adds, for each (point, cell) pair in order, w_a * w_b to entry (a, b) of `data` for every
// ordered pair of the cell's corners and w_a * v_p to right_side(a) (indexed from 0).
void AddDataTerm(const MeshModel& model, const std::vector<PointCell>& pairs, SparseMatrix& data,
                 std::vector<double>& right_side);

}  // namespace ombrix
