#pragma once
// One triangle of the contour mesh. Vertices 1..3 are used; element 0 of each array is
// never written by the list's builders. The same record serves the contour computation's
// lists of flat triangles and flat edges.

#include <array>
#include <cstdint>

namespace ombrix {

struct TriangleRecord {
  std::array<double, 4> Y{};            // y coordinate of vertex 1..3
  std::array<double, 4> X{};            // x coordinate of vertex 1..3
  std::array<double, 4> Z{};            // value at vertex 1..3
  std::int32_t CellRow = 0;             // row index i of the mesh cell
  std::int32_t CellCol = 0;             // column index j of the mesh cell
  std::int32_t Side = 0;                // 1..4: the cell side that is the triangle's outer edge
  std::array<std::int32_t, 4> Flags{};  // per-vertex working flags of the contour computation

  bool operator==(const TriangleRecord&) const = default;
};

// Which cell corners are vertices 1 and 2 of a triangle on each side of cell (i, j); the
// offsets are added to (i, j). Vertex 3 is always the cell centre.
struct CornerOffset {
  std::int32_t row;
  std::int32_t col;
};
struct SideCorners {
  CornerOffset vertex1;
  CornerOffset vertex2;
};
inline constexpr std::array<SideCorners, 5> kSideCorners = {{
    {{0, 0}, {0, 0}},  // unused: sides are numbered from 1
    {{0, 0}, {1, 0}},  // side 1: left    (i, j)     -> (i+1, j)
    {{0, 0}, {0, 1}},  // side 2: top     (i, j)     -> (i, j+1)
    {{0, 1}, {1, 1}},  // side 3: right   (i, j+1)   -> (i+1, j+1)
    {{1, 1}, {1, 0}},  // side 4: bottom  (i+1, j+1) -> (i+1, j)
}};

}  // namespace ombrix
