#include "sheet/mark_query.h"

namespace ombrix::sheet {

MarkQuery::MarkQuery(std::vector<CellPosition> cells)
    : cells_(std::move(cells)),
      formats_(cells_.size(), kNoCell),
      noted_(cells_.size(), false),
      marked_(cells_.size(), false) {
  index_.reserve(cells_.size());
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    index_.emplace(Key(cells_[i].row, cells_[i].col), i);
  }
}

void MarkQuery::NoteLater(const MarkQuery& later) {
  for (std::size_t i = 0; i < formats_.size() && i < later.formats_.size(); ++i) {
    if (later.noted_[i]) {
      formats_[i] = later.formats_[i];
      noted_[i] = true;
    }
  }
}

void MarkQuery::Resolve(const std::vector<bool>& marked_formats) {
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    marked_[i] = formats_[i] < marked_formats.size() && marked_formats[formats_[i]];
  }
}

}  // namespace ombrix::sheet
