#include "sheet/cell_store.h"

#include <algorithm>

namespace ombrix::sheet {

void CellStore::Set(std::int32_t row, std::int32_t col, const CellValue& value) {
  if (!Storable(row, col)) {
    return;  // Get never finds such a cell either
  }
  CellKind kind = value.kind;
  std::uint64_t payload = std::bit_cast<std::uint64_t>(value.number);
  if (kind == CellKind::Text && value.text.empty()) {
    kind = CellKind::Empty;  // empty text reads as an empty cell
  }
  if (kind == CellKind::Text || kind == CellKind::Error) {
    payload = AddText(value.text);
  }
  entries_.push_back(Make(row, col, kind, payload));
  finished_ = false;
}

std::uint32_t CellStore::AddText(std::string text) {
  text_bytes_ += text.size();
  texts_.push_back(std::move(text));
  return static_cast<std::uint32_t>(texts_.size() - 1);
}

void CellStore::SetText(std::int32_t row, std::int32_t col, std::uint32_t text_id) {
  if (!Storable(row, col)) {
    return;
  }
  entries_.push_back(Make(row, col, CellKind::Text, text_id));
  finished_ = false;
}

void CellStore::ReplaceText(std::uint32_t text_id, std::string text) {
  std::string& kept = texts_.at(text_id);
  text_bytes_ = text_bytes_ - kept.size() + text.size();
  kept = std::move(text);
  kept.shrink_to_fit();
}

std::vector<std::uint32_t> CellStore::Append(CellStore later,
                                             const std::vector<std::uint32_t>& reuse) {
  std::vector<std::uint32_t> ids(later.texts_.size());
  for (std::size_t t = 0; t < ids.size(); ++t) {
    ids[t] = reuse.at(t) != kNewText ? reuse[t] : AddText(std::move(later.texts_[t]));
  }
  entries_.reserve(entries_.size() + later.entries_.size());
  for (Entry e : later.entries_) {
    if (e.Kind() == CellKind::Text || e.Kind() == CellKind::Error) {
      e.payload = ids[e.payload];
    }
    entries_.push_back(e);
  }
  finished_ = false;
  return ids;
}

void CellStore::Finish() {
  // Sheets store their cells in order, so the sort (and the buffer a stable sort takes, as large
  // as the cells) is usually not needed. The cells are kept in place rather than copied: the
  // reader's text of the sheet is still alive here, and a second copy of a sheet of millions
  // of cells is what would push reading past its memory.
  const auto by_key = [](const Entry& a, const Entry& b) { return a.Position() < b.Position(); };
  if (!std::is_sorted(entries_.begin(), entries_.end(), by_key)) {
    std::stable_sort(entries_.begin(), entries_.end(), by_key);
  }
  // Keep the last Set of each cell.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (kept > 0 && entries_[kept - 1].Position() == entries_[i].Position()) {
      entries_[kept - 1] = entries_[i];
    } else {
      entries_[kept++] = entries_[i];
    }
  }
  entries_.resize(kept);
  finished_ = true;
}

CellValue CellStore::Get(std::int32_t row, std::int32_t col) const {
  if (!Storable(row, col)) {
    return {};
  }
  const std::uint64_t key = Position(row, col);
  const auto it =
      std::lower_bound(entries_.begin(), entries_.end(), key,
                       [](const Entry& e, std::uint64_t k) { return e.Position() < k; });
  if (!finished_ || it == entries_.end() || it->Position() != key) {
    return {};
  }
  return Value(*it);
}

CellValue CellStore::Value(const Entry& e) const {
  const auto text = static_cast<std::size_t>(e.payload);
  const double number = std::bit_cast<double>(e.payload);
  switch (e.Kind()) {
    case CellKind::Empty:
      return {};
    case CellKind::Number:
      return CellValue::Number(number);
    case CellKind::Boolean:
      return CellValue::Boolean(number != 0);
    case CellKind::Text:
      if (texts_[text].empty()) {
        return {};  // a shared text that turned out empty
      }
      return CellValue::Text(texts_[text]);
    case CellKind::Error:
      return CellValue::Error(texts_[text]);
  }
  return {};
}

std::size_t CellStore::MemoryBytes() const {
  std::size_t bytes = entries_.capacity() * sizeof(Entry) + texts_.capacity() * sizeof(std::string);
  for (const std::string& t : texts_) {
    bytes += t.capacity() > 15 ? t.capacity() : 0;
  }
  return bytes;
}

}  // namespace ombrix::sheet
