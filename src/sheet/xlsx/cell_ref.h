#pragma once
// A1-style cell references as a sheet part writes them ("H7", "XFD1048576").

#include <cstdint>
#include <optional>
#include <string_view>

namespace ombrix::sheet::xlsx {

inline constexpr std::int32_t kMaxRow = 1048576;
inline constexpr std::int32_t kMaxColumn = 16384;  // XFD

struct CellRef {
  std::int32_t row = 0;  // from 1
  std::int32_t col = 0;  // from 1
};

// "H7" -> {7, 8}; column letters in either case. Empty when the text is not a reference inside
// the sheet's bounds (1..1048576 rows, A..XFD).
std::optional<CellRef> ParseCellRef(std::string_view text);
// A row number "1".."1048576", or empty.
std::optional<std::int32_t> ParseRowNumber(std::string_view text);

}  // namespace ombrix::sheet::xlsx
