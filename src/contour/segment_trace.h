#pragma once
// Where each contour segment of a level came from, in mesh coordinates: for each end, the
// point and the triangle edge (or vertex) it lies on. Kept beside the segment list when a
// caller asks for it, so the segments can be joined into lines by the edges they share.

#include <array>
#include <cstdint>
#include <vector>

namespace ombrix {

struct MeshPoint {
  double x = 0;
  double y = 0;
  bool operator==(const MeshPoint&) const = default;
};

// The mesh edge an end lies on, by its two vertices in a fixed order (a <= b by x, then y);
// an end on a vertex has a == b. Vertices shared by triangles carry bit-identical coordinates
// (copied from the nodes, or the same means), so the key names the edge, whatever rounding
// the crossing point itself picked up.
struct EdgeKey {
  MeshPoint a;
  MeshPoint b;
  bool operator==(const EdgeKey&) const = default;
};

EdgeKey MakeEdgeKey(MeshPoint p, MeshPoint q);
inline EdgeKey VertexKey(MeshPoint p) {
  return {p, p};
}

struct SegmentEnd {
  MeshPoint at;
  EdgeKey on;
};

// Entry s - 1 describes segment s of the level's list.
using SegmentTrace = std::vector<std::array<SegmentEnd, 2>>;

}  // namespace ombrix
