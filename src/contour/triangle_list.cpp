#include "contour/triangle_list.h"

#include "blank/blank_check.h"

namespace ombrix {

void BuildTriangleList(MeshModel& m) {
  ResetTriangles(m);
  for (std::int32_t i = 1; i <= m.NodeCountY - 1; ++i) {
    for (std::int32_t j = 1; j <= m.NodeCountX - 1; ++j) {
      if (BlankdataCheck(m, i, j) != kNoBlankCorner) {
        continue;
      }
      const double centre_y = (m.NodeY(i) + m.NodeY(i + 1)) / 2;
      const double centre_x = (m.NodeX(j) + m.NodeX(j + 1)) / 2;
      const double centre_z = (m.NodeValue(i, j) + m.NodeValue(i, j + 1) + m.NodeValue(i + 1, j) +
                               m.NodeValue(i + 1, j + 1)) /
                              4;
      for (std::int32_t side = 1; side <= 4; ++side) {
        AppendTriangle(m, CellTriangle(m, i, j, side, centre_y, centre_x, centre_z));
      }
    }
  }
}

}  // namespace ombrix
