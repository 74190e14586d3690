#pragma once
// The cells of one sheet, indexed once after reading so every lookup is a binary search and
// memory stays close to one small record per stored cell.

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/workbook.h"

namespace ombrix::sheet {

class CellStore {
 public:
  // Records a cell; a later Set of the same cell wins. Empty cells need not be recorded.
  void Set(std::int32_t row, std::int32_t col, const CellValue& value);
  // Keeps `text` once and returns its id, so a text that many cells show (a shared string)
  // costs its bytes once, not once per cell.
  std::uint32_t AddText(std::string text);
  // Records a text cell showing the text `text_id` (from AddText); empty text reads as empty.
  void SetText(std::int32_t row, std::int32_t col, std::uint32_t text_id);
  // Replaces the text `text_id`, for readers that learn a text after the cells showing it.
  void ReplaceText(std::uint32_t text_id, std::string text);
  // The bytes of every text kept, each counted once.
  std::size_t text_bytes() const { return text_bytes_; }
  std::size_t text_count() const { return texts_.size(); }
  std::size_t text_size(std::uint32_t text_id) const { return texts_.at(text_id).size(); }
  // Takes the cells of `later`, read after this store's last Set, as if they had been Set here
  // in the same order. The text `t` of `later` becomes `reuse[t]` when that is one of this
  // store's texts (kNewText: it is added here, after this store's own). Returns the id each
  // text of `later` has here.
  static constexpr std::uint32_t kNewText = 0xFFFFFFFFu;
  std::vector<std::uint32_t> Append(CellStore later, const std::vector<std::uint32_t>& reuse);
  // Room for `cells` cells ahead of the first Set, so a reader that can bound its count avoids
  // the doubling growth that briefly holds the cells twice and a half over.
  void Reserve(std::size_t cells) { entries_.reserve(cells); }
  // Sorts the cells for lookup; call once after the last Set.
  void Finish();
  CellValue Get(std::int32_t row, std::int32_t col) const;
  // Calls f(row, col, value) for every stored cell that is not empty, in row-major order;
  // only after Finish.
  template <typename F>
  void ForEach(F&& f) const {
    for (const Entry& e : entries_) {
      if (e.Kind() == CellKind::Empty) {
        continue;
      }
      CellValue value = Value(e);
      if (value.kind != CellKind::Empty) {
        f(static_cast<std::int32_t>(e.key >> 32),
          static_cast<std::int32_t>((e.key >> kKindBits) & kColumnMask), std::move(value));
      }
    }
  }
  std::size_t size() const { return entries_.size(); }
  std::size_t MemoryBytes() const;

 private:
  // Sixteen bytes a cell: a sheet of millions of small cells costs little more than its text.
  // The key holds the row in its high half, then the column, then the kind in its low bits, so
  // cells sort by position and the kind rides along; the payload is the number's bits for
  // Number and Boolean and the index into texts_ for Text and Error.
  static constexpr int kKindBits = 3;
  static constexpr std::uint64_t kColumnMask = (std::uint64_t{1} << (32 - kKindBits)) - 1;
  struct Entry {
    std::uint64_t key;
    std::uint64_t payload;
    std::uint64_t Position() const { return key >> kKindBits; }
    CellKind Kind() const { return static_cast<CellKind>(key & ((1u << kKindBits) - 1)); }
  };
  static_assert(sizeof(Entry) == 16);
  CellValue Value(const Entry& e) const;
  // Columns beyond what the key holds are never stored (no workbook format has them).
  static bool Storable(std::int32_t row, std::int32_t col) {
    return row >= 1 && col >= 1 && static_cast<std::uint64_t>(col) <= kColumnMask;
  }
  static std::uint64_t Position(std::int32_t row, std::int32_t col) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << (32 - kKindBits)) |
           static_cast<std::uint64_t>(col);
  }
  static Entry Make(std::int32_t row, std::int32_t col, CellKind kind, std::uint64_t payload) {
    return {(Position(row, col) << kKindBits) | static_cast<std::uint64_t>(kind), payload};
  }

  std::vector<Entry> entries_;
  std::vector<std::string> texts_;
  std::size_t text_bytes_ = 0;
  bool finished_ = false;
};

// A workbook read whole into memory: the active sheet's cells.
class SheetWorkbook : public Workbook {
 public:
  SheetWorkbook(std::string active_sheet_name, CellStore cells)
      : name_(std::move(active_sheet_name)), cells_(std::move(cells)) {}

  CellValue Cell(std::int32_t row, std::int32_t col) const override { return cells_.Get(row, col); }
  std::string ActiveSheetName() const override { return name_; }
  const CellStore& cells() const { return cells_; }

 private:
  std::string name_;
  CellStore cells_;
};

}  // namespace ombrix::sheet
