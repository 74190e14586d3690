#pragma once
// Which mesh cells hold each scattered point. A point on a side shared by two cells is in
// both, one on an inner node in all four: the data term and the five-point initial values use
// every such (point, cell) pair.

#include <cstdint>
#include <vector>

#include "model/mesh_model.h"

namespace ombrix {

// Cell (i, j) has the corners (i, j), (i, j + 1), (i + 1, j), (i + 1, j + 1).
struct PointCell {
  std::int32_t p = 0;
  std::int32_t i = 0;
  std::int32_t j = 0;
};

// Every pair with NodeX(j) <= x_p <= NodeX(j + 1) and NodeY(i + 1) <= y_p <= NodeY(i), bounds
// included, ordered by point, then cell row, then cell column.
std::vector<PointCell> FindPointCells(const MeshModel& model);

// Bilinear corner weights of a point in its cell, in the order (i, j), (i, j + 1), (i + 1, j),
// (i + 1, j + 1). Error 11 (or 6 for 0 / 0) when the cell has two equal coordinates.
struct CornerWeights {
  double w[4] = {0, 0, 0, 0};
};
CornerWeights WeightsInCell(const MeshModel& model, const PointCell& pc);

}  // namespace ombrix
