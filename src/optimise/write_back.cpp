#include "optimise/write_back.h"

#include <cstddef>

#include "optimise/point_cells.h"

namespace ombrix {

std::vector<CellEdit> WriteBackEdits(const MeshModel& m) {
  const std::int32_t nx = m.NodeCountX;
  const std::int32_t ny = m.NodeCountY;
  auto at = [nx](std::int32_t i, std::int32_t j) {
    return static_cast<std::size_t>(i - 1) * static_cast<std::size_t>(nx) +
           static_cast<std::size_t>(j - 1);
  };
  std::vector<bool> marked(static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny), false);
  for (const PointCell& pc : FindPointCells(m)) {
    marked[at(pc.i, pc.j)] = true;
  }
  std::vector<CellEdit> edits;
  edits.reserve(marked.size());
  for (std::int32_t i = 1; i <= ny; ++i) {
    for (std::int32_t j = 1; j <= nx; ++j) {
      edits.push_back(
          {i + kNodeRowOffset, j + kNodeColumnOffset, m.NodeValue(i, j), marked[at(i, j)]});
    }
  }
  return edits;
}

}  // namespace ombrix
