#include "contour/triangle_list.h"

#include "blank/blank_check.h"

namespace ombrix {
namespace {

struct Corner {
  double y, x, z;
};

}  // namespace

void BuildTriangleList(MeshModel& m) {
  const std::int32_t upper = TriangleListUpper(m);
  // A list of the same size is overwritten in place: every entry the cells fill is written
  // whole, and the rest is cleared after the loop, so the list ends as a freshly sized one.
  const bool reuse =
      m.Triangles.allocated() && m.Triangles.lower() == 0 && m.Triangles.upper() == upper;
  if (reuse) {
    m.TriangleCount = 0;
    m.Triangles(0) = TriangleRecord{};
  } else {
    ResetTriangles(m);
  }
  for (std::int32_t i = 1; i <= m.NodeCountY - 1; ++i) {
    for (std::int32_t j = 1; j <= m.NodeCountX - 1; ++j) {
      if (BlankdataCheck(m, i, j) != kNoBlankCorner) {
        continue;
      }
      const Corner c00{m.NodeY(i), m.NodeX(j), m.NodeValue(i, j)};
      const Corner c01{m.NodeY(i), m.NodeX(j + 1), m.NodeValue(i, j + 1)};
      const Corner c10{m.NodeY(i + 1), m.NodeX(j), m.NodeValue(i + 1, j)};
      const Corner c11{m.NodeY(i + 1), m.NodeX(j + 1), m.NodeValue(i + 1, j + 1)};
      const Corner centre{(c00.y + c10.y) / 2, (c00.x + c01.x) / 2,
                          (c00.z + c01.z + c10.z + c11.z) / 4};
      // Sides 1..4: left, top, right, bottom, each from its first corner to its second.
      const Corner* const ends[4][2] = {{&c00, &c10}, {&c00, &c01}, {&c01, &c11}, {&c11, &c10}};
      for (std::int32_t side = 1; side <= 4; ++side) {
        TriangleRecord t;
        const Corner* const vertices[3] = {ends[side - 1][0], ends[side - 1][1], &centre};
        for (std::size_t v = 0; v < 3; ++v) {
          t.Y[v + 1] = vertices[v]->y;
          t.X[v + 1] = vertices[v]->x;
          t.Z[v + 1] = vertices[v]->z;
        }
        t.CellRow = i;
        t.CellCol = j;
        t.Side = side;
        AppendTriangle(m, t);
      }
    }
  }
  if (reuse) {
    for (std::int64_t k = std::int64_t{m.TriangleCount} + 1; k <= upper; ++k) {
      m.Triangles(k) = TriangleRecord{};
    }
  }
}

}  // namespace ombrix
