#include "blank/blank_check.h"

namespace ombrix {

TriangleRecord CellTriangle(const MeshModel& m, std::int32_t i, std::int32_t j, std::int32_t side,
                            double centre_y, double centre_x, double centre_z) {
  TriangleRecord t;
  const SideCorners& corners = kSideCorners[static_cast<std::size_t>(side)];
  const CornerOffset ends[2] = {corners.vertex1, corners.vertex2};
  for (int k = 0; k < 2; ++k) {
    const std::int32_t r = i + ends[k].row;
    const std::int32_t c = j + ends[k].col;
    t.Y[k + 1] = m.NodeY(r);
    t.X[k + 1] = m.NodeX(c);
    t.Z[k + 1] = m.NodeValue(r, c);
  }
  t.Y[3] = centre_y;
  t.X[3] = centre_x;
  t.Z[3] = centre_z;
  t.CellRow = i;
  t.CellCol = j;
  t.Side = side;
  return t;
}

std::int32_t BlankdataCheck(MeshModel& m, std::int32_t i, std::int32_t j) {
  const std::int32_t n =
      m.NodeBlank(i, j) + m.NodeBlank(i, j + 1) + m.NodeBlank(i + 1, j) + m.NodeBlank(i + 1, j + 1);
  if (n == 0) {
    return kNoBlankCorner;
  }
  if (n >= 3) {
    return kThreeOrMoreBlankCorners;
  }
  // Blank nodes hold 0, so the sum over all four corners is the sum over the valued ones.
  const std::int32_t divisor = n == 1 ? 3 : 2;
  for (std::int32_t side = 1; side <= 4; ++side) {
    const SideCorners& corners = kSideCorners[static_cast<std::size_t>(side)];
    if (m.NodeBlank(i + corners.vertex1.row, j + corners.vertex1.col) != 1 &&
        m.NodeBlank(i + corners.vertex2.row, j + corners.vertex2.col) != 1) {
      AppendCellTriangle(m, i, j, side, divisor);
    }
  }
  return n == 1 ? kOneBlankCorner : kTwoBlankCorners;
}

}  // namespace ombrix
