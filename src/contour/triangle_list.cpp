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
      // Sides 1..4: left, top, right, bottom, each from its first corner to its second, all
      // meeting at the centre, whose value is the mean of the four corners.
      for (std::int32_t side = 1; side <= 4; ++side) {
        AppendCellTriangle(m, i, j, side, 4);
      }
    }
  }
}

}  // namespace ombrix
