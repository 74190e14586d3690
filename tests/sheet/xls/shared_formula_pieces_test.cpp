// Cutting the cells left of a shared formula into hole-free rectangles.

#include "sheet/xls/shared_formula_pieces.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace ombrix::sheet {
namespace {

using CellList = std::vector<std::pair<int, int>>;

std::string Text(const std::vector<xls::SharedPiece>& pieces) {
  std::string s;
  for (const xls::SharedPiece& p : pieces) {
    s += std::to_string(p.first_row) + "," + std::to_string(p.first_col) + "-" +
         std::to_string(p.last_row) + "," + std::to_string(p.last_col) + " ";
  }
  return s;
}

CellList Rect(int r0, int r1, int c0, int c1, std::set<std::pair<int, int>> without = {}) {
  CellList cells;
  for (int r = r0; r <= r1; ++r)
    for (int c = c0; c <= c1; ++c)
      if (!without.count({r, c}))
        cells.emplace_back(r, c);
  return cells;
}

TEST(SharedPieces, CutsAroundTheRemovedCells) {
  // A hole at the corner and holes inside are OverwrittenAnchorMovesTheSharedFormulaOn's.
  EXPECT_EQ(Text(xls::SharedPieces({})), "");
  EXPECT_EQ(Text(xls::SharedPieces(Rect(1, 5, 3, 3, {{1, 3}}))), "2,3-5,3 ");  // a column
  EXPECT_EQ(Text(xls::SharedPieces(Rect(7, 7, 1, 9, {{7, 1}}))), "7,2-7,9 ");  // a row
  // Rows apart stay apart.
  EXPECT_EQ(Text(xls::SharedPieces({{1, 1}, {1, 2}, {3, 1}, {3, 2}})), "1,1-1,2 3,1-3,2 ");
  // Order and duplicates of the input do not matter.
  EXPECT_EQ(Text(xls::SharedPieces({{3, 2}, {2, 3}, {3, 3}, {2, 3}, {2, 2}, {3, 2}})), "2,2-3,3 ");
}

TEST(SharedPieces, CoverEveryCellOnceWithNoHole) {
  // A scattered pattern: each input cell in exactly one piece, no other cell; pieces in order.
  CellList cells;
  for (int r = 1; r <= 12; ++r)
    for (int c = 1; c <= 9; ++c)
      if ((r * 7 + c * 3) % 5 != 0 && (r + c) % 11 != 0)
        cells.emplace_back(r, c);
  const auto pieces = xls::SharedPieces(cells);
  std::multiset<std::pair<int, int>> covered;
  for (const xls::SharedPiece& p : pieces)
    for (int r = p.first_row; r <= p.last_row; ++r)
      for (int c = p.first_col; c <= p.last_col; ++c)
        covered.insert({r, c});
  const std::multiset<std::pair<int, int>> want(cells.begin(), cells.end());
  EXPECT_EQ(covered, want);
  for (std::size_t i = 1; i < pieces.size(); ++i) {
    const auto& a = pieces[i - 1];
    const auto& b = pieces[i];
    EXPECT_TRUE(a.first_row < b.first_row ||
                (a.first_row == b.first_row && a.first_col < b.first_col));
  }
}

}  // namespace
}  // namespace ombrix::sheet
