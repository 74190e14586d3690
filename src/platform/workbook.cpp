#include "platform/workbook.h"

#include <algorithm>

namespace ombrix {

std::string CellName(std::int32_t row, std::int32_t col) {
  std::string letters;
  for (std::int64_t c = col; c > 0; c = (c - 1) / 26) {
    letters += static_cast<char>('A' + (c - 1) % 26);
  }
  std::reverse(letters.begin(), letters.end());
  return letters + std::to_string(row);
}

}  // namespace ombrix
