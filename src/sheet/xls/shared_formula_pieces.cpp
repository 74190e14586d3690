#include "sheet/xls/shared_formula_pieces.h"

#include <algorithm>

namespace ombrix::sheet::xls {

std::vector<SharedPiece> SharedPieces(std::vector<std::pair<int, int>> cells) {
  std::sort(cells.begin(), cells.end());
  cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
  std::vector<SharedPiece> done;
  std::vector<SharedPiece> open;  // pieces that reach the previous row
  std::size_t i = 0;
  while (i < cells.size()) {
    const int row = cells[i].first;
    std::vector<SharedPiece> next;
    while (i < cells.size() && cells[i].first == row) {
      const int first = cells[i].second;
      int last = first;
      ++i;
      while (i < cells.size() && cells[i].first == row && cells[i].second == last + 1) {
        last = cells[i++].second;
      }
      auto same = std::find_if(open.begin(), open.end(), [&](const SharedPiece& p) {
        return p.last_row == row - 1 && p.first_col == first && p.last_col == last;
      });
      if (same != open.end()) {
        same->last_row = row;
        next.push_back(*same);
        open.erase(same);
      } else {
        next.push_back({row, row, first, last});
      }
    }
    done.insert(done.end(), open.begin(), open.end());
    open = std::move(next);
  }
  done.insert(done.end(), open.begin(), open.end());
  std::sort(done.begin(), done.end(), [](const SharedPiece& a, const SharedPiece& b) {
    return a.first_row != b.first_row ? a.first_row < b.first_row : a.first_col < b.first_col;
  });
  return done;
}

}  // namespace ombrix::sheet::xls
