#pragma once
// A question put to a workbook reader while it reads: which of some cells of the active sheet
// wear the grey fill of a mark. The reader looks at the format of the asked cells only, so an
// import that asks nothing reads no cell's format at all.

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

namespace ombrix::sheet {

struct CellPosition {
  std::int32_t row = 0;  // from 1
  std::int32_t col = 0;  // from 1
};

class MarkQuery {
 public:
  // `cells` distinct.
  explicit MarkQuery(std::vector<CellPosition> cells);

  const std::vector<CellPosition>& cells() const { return cells_; }

  // For the reader: cell (row, col) has format `format` (the .xlsx `s`, the .xls XF index). A
  // cell read twice keeps the last, as its value does.
  void NoteFormat(std::int32_t row, std::int32_t col, std::uint32_t format) {
    if (const auto it = index_.find(Key(row, col)); it != index_.end()) {
      formats_[it->second] = format;
      noted_[it->second] = true;
    }
  }
  // For a reader that read the sheet in pieces: takes the notes of `later` (asked the same cells,
  // told of a later stretch of the sheet) as if they had been noted here after this one's.
  void NoteLater(const MarkQuery& later);
  // For the reader, once the sheet is read: which formats show the mark (by format index).
  void Resolve(const std::vector<bool>& marked_formats);

  // After Resolve: whether cells()[i] reads as marked. A cell the sheet does not hold is not.
  bool marked(std::size_t i) const { return marked_[i]; }

 private:
  static std::uint64_t Key(std::int32_t row, std::int32_t col) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) |
           static_cast<std::uint32_t>(col);
  }
  static constexpr std::uint32_t kNoCell = 0xFFFFFFFFu;

  std::vector<CellPosition> cells_;
  std::unordered_map<std::uint64_t, std::size_t> index_;
  std::vector<std::uint32_t> formats_;
  std::vector<bool> noted_;  // any format, even one that reads as kNoCell
  std::vector<bool> marked_;
};

}  // namespace ombrix::sheet
