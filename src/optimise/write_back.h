#pragma once
// What the optimisation writes into the mesh workbook: every node's value into the cell it was
// read from, and a grey mark on the node cells whose mesh cell holds a scattered point.

#include <cstdint>
#include <vector>

#include "model/mesh_model.h"
#include "platform/workbook_writer.h"

namespace ombrix {

// Where node (i, j) sits in the mesh workbook.
inline constexpr std::int32_t kNodeRowOffset = 5;
inline constexpr std::int32_t kNodeColumnOffset = 6;

// One edit per node, row by row: its value at (i + 5, j + 6), marked when node (i, j) is the
// top-left corner of a cell holding at least one point (bounds included, so a point on a
// shared side marks both cells and one on an inner node all four).
std::vector<CellEdit> WriteBackEdits(const MeshModel& model);

}  // namespace ombrix
