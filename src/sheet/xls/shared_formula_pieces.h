#pragma once
// Where a shared formula goes when the cell that anchors it is overwritten. In BIFF8 the
// shared tokens are relative to the cell that evaluates them, so the formula stays valid for
// every remaining cell; what must change is its range, which is a rectangle whose top-left
// cell anchors it. The remaining cells are cut into rectangles with no hole: runs of
// neighbouring cells along each row, runs of equal extent on consecutive rows merged.

#include <cstdint>
#include <utility>
#include <vector>

namespace ombrix::sheet::xls {

struct SharedPiece {
  int first_row = 0;  // from 1; (first_row, first_col) is the piece's anchor
  int last_row = 0;
  int first_col = 0;
  int last_col = 0;
  std::size_t cells() const {
    return static_cast<std::size_t>(last_row - first_row + 1) *
           static_cast<std::size_t>(last_col - first_col + 1);
  }
  bool Holds(int row, int col) const {
    return first_row <= row && row <= last_row && first_col <= col && col <= last_col;
  }
};

// The pieces covering exactly `cells` ((row, col) pairs, any order, duplicates allowed), in
// row-major order of their anchors.
std::vector<SharedPiece> SharedPieces(std::vector<std::pair<int, int>> cells);

}  // namespace ombrix::sheet::xls
