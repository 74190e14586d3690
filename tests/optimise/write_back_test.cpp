// Which node cells the write-back marks, and that it writes the whole mesh and nothing else.

#include "optimise/write_back.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "optimise_fixture.h"

namespace ombrix {
namespace {

using Cell = std::pair<std::int32_t, std::int32_t>;

std::set<Cell> Marked(const std::vector<CellEdit>& edits) {
  std::set<Cell> marked;
  for (const CellEdit& e : edits) {
    if (e.mark)
      marked.insert({e.row - kNodeRowOffset, e.col - kNodeColumnOffset});
  }
  return marked;
}

TEST(WriteBackEdits, MarksTheTopLeftNodeOfEveryCellHoldingAPoint) {
  const MeshModel inner = testing::MakeModel({0, 1, 2}, {2, 1, 0}, {{1, 1, 5}});
  EXPECT_EQ(Marked(WriteBackEdits(inner)), (std::set<Cell>{{1, 1}, {1, 2}, {2, 1}, {2, 2}}));
  // On the right edge, on the bottom edge, on the bottom-right corner, and outside.
  const MeshModel m =
      testing::MakeModel({0, 1, 2}, {2, 1, 0}, {{2, 1.5, 1}, {0.5, 0, 1}, {2, 0, 1}, {2.5, 1, 1}});
  // Nodes of the last row and column are never the top-left corner of a cell.
  EXPECT_EQ(Marked(WriteBackEdits(m)), (std::set<Cell>{{1, 2}, {2, 1}, {2, 2}}));
}

TEST(WriteBackEdits, AWideMeshIsWrittenWholeRowByRow) {
  MeshModel m = testing::MakeModel({0, 1, 2, 3, 4}, {1, 0}, {{3.5, 0.5, 1}});
  for (std::int32_t j = 1; j <= 5; ++j) {
    m.NodeValue(1, j) = j;
    m.NodeValue(2, j) = -j * 0.5;
  }
  const std::vector<CellEdit> edits = WriteBackEdits(m);
  ASSERT_EQ(edits.size(), 10u);
  for (std::size_t e = 0; e < edits.size(); ++e) {
    const auto i = static_cast<std::int32_t>(e / 5) + 1;
    const auto j = static_cast<std::int32_t>(e % 5) + 1;
    EXPECT_EQ(edits[e].row, i + 5);
    EXPECT_EQ(edits[e].col, j + 6);
    EXPECT_EQ(edits[e].value, m.NodeValue(i, j));
    EXPECT_EQ(edits[e].mark, i == 1 && j == 4);
  }
}

}  // namespace
}  // namespace ombrix
