#pragma once
// Cells with blank corners: a cell keeps only the triangles between its valued corners.

#include <cstdint>

#include "model/mesh_model.h"

namespace ombrix {

inline constexpr std::int32_t kNoBlankCorner = 1;
inline constexpr std::int32_t kOneBlankCorner = -2;
inline constexpr std::int32_t kTwoBlankCorners = -3;
inline constexpr std::int32_t kThreeOrMoreBlankCorners = -1;

// Counts the blank corners of cell (i, j). With none it returns 1 and appends nothing; with
// one or two it appends the triangles on the sides whose both corners have values (side order
// 1..4) and returns -2 or -3; with three or four it returns -1.
std::int32_t BlankdataCheck(MeshModel& model, std::int32_t i, std::int32_t j);

// The triangle on `side` (1..4) of cell (i, j) with the given centre.
TriangleRecord CellTriangle(const MeshModel& model, std::int32_t i, std::int32_t j,
                            std::int32_t side, double centre_y, double centre_x, double centre_z);

}  // namespace ombrix
