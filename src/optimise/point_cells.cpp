#include "optimise/point_cells.h"

#include "model/numeric.h"

namespace ombrix {

std::vector<PointCell> FindPointCells(const MeshModel& m) {
  std::vector<PointCell> pairs;
  std::vector<std::int32_t> rows;
  std::vector<std::int32_t> cols;
  for (std::int32_t p = 1; p <= m.PointCount; ++p) {
    const double x = m.PointX(p);
    const double y = m.PointY(p);
    // The test is a product of a row condition and a column condition, so the cells that
    // hold the point are the matching rows crossed with the matching columns, in order.
    rows.clear();
    cols.clear();
    for (std::int32_t i = 1; i <= m.NodeCountY - 1; ++i) {
      if (m.NodeY(i + 1) <= y && y <= m.NodeY(i)) {
        rows.push_back(i);
      }
    }
    if (rows.empty()) {
      continue;
    }
    for (std::int32_t j = 1; j <= m.NodeCountX - 1; ++j) {
      if (m.NodeX(j) <= x && x <= m.NodeX(j + 1)) {
        cols.push_back(j);
      }
    }
    for (const std::int32_t i : rows) {
      for (const std::int32_t j : cols) {
        pairs.push_back(PointCell{p, i, j});
      }
    }
  }
  return pairs;
}

CornerWeights WeightsInCell(const MeshModel& m, const PointCell& pc) {
  const double s = CheckedDivide(m.PointX(pc.p) - m.NodeX(pc.j), m.NodeX(pc.j + 1) - m.NodeX(pc.j),
                                 "セル内の位置 s");
  // t is measured downwards from row i.
  const double t = CheckedDivide(m.PointY(pc.p) - m.NodeY(pc.i), m.NodeY(pc.i + 1) - m.NodeY(pc.i),
                                 "セル内の位置 t");
  CornerWeights cw;
  cw.w[0] = (1 - s) * (1 - t);
  cw.w[1] = s * (1 - t);
  cw.w[2] = (1 - s) * t;
  cw.w[3] = s * t;
  return cw;
}

}  // namespace ombrix
