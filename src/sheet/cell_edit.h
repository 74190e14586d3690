#pragma once
// Changes to cells of a workbook's active sheet: a new number, a grey fill (palette entry 16,
// BIFF colour index 23, #808080), or both.

#include <cstdint>
#include <optional>

namespace ombrix::sheet {

struct CellEdit {
  std::int32_t row = 0;         // from 1
  std::int32_t col = 0;         // from 1
  std::optional<double> value;  // the number to write, if any
  bool mark = false;            // fill the cell with palette entry 16
};

// The BIFF colour index of palette entry 16 (grey #808080).
inline constexpr int kMarkColourIndex = 23;

}  // namespace ombrix::sheet
