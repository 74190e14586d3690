#include "sheet/xlsx/cell_ref.h"

#include <charconv>

namespace ombrix::sheet::xlsx {

std::optional<std::int32_t> ParseRowNumber(std::string_view text) {
  if (text.empty() || text.front() < '1' || text.front() > '9') {
    return std::nullopt;  // no sign, no leading zero
  }
  std::int32_t row = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), row);
  if (ec != std::errc() || end != text.data() + text.size() || row > kMaxRow) {
    return std::nullopt;
  }
  return row;
}

std::optional<CellRef> ParseCellRef(std::string_view text) {
  std::int32_t col = 0;
  std::size_t i = 0;
  for (; i < text.size() && i < 4; ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
    if (c < 'A' || c > 'Z') {
      break;
    }
    col = col * 26 + (c - 'A' + 1);
  }
  if (i == 0 || col > kMaxColumn) {
    return std::nullopt;
  }
  const std::optional<std::int32_t> row = ParseRowNumber(text.substr(i));
  if (!row) {
    return std::nullopt;
  }
  return CellRef{*row, col};
}

}  // namespace ombrix::sheet::xlsx
