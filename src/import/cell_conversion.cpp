#include "import/cell_conversion.h"

#include <cmath>

#include "model/numeric.h"
#include "model/quoted_text.h"
#include "model/run_error.h"

namespace ombrix {

double CellToDouble(const CellValue& cell, std::int32_t row, std::int32_t col) {
  switch (cell.kind) {
    case CellKind::Empty:
      return 0;
    case CellKind::Number:
      return cell.number;
    case CellKind::Boolean:
      return cell.number != 0 ? -1.0 : 0.0;
    case CellKind::Text:
      try {
        return TextToNumber(cell.text);
      } catch (const RunError&) {
        throw RunError(err::kTypeMismatch, "セル " + CellName(row, col) + " の値 \"" +
                                               QuotedText(cell.text) + "\" は数値ではありません。");
      }
    case CellKind::Error:
      throw RunError(err::kTypeMismatch, "セル " + CellName(row, col) + " はエラー値 " + cell.text +
                                             " で、数値ではありません。");
  }
  return 0;
}

std::int32_t CellToLong(const CellValue& cell, std::int32_t row, std::int32_t col) {
  const double value = CellToDouble(cell, row, col);
  try {
    return ToLong(value);
  } catch (const RunError&) {
    throw RunError(err::kOverflow, "セル " + CellName(row, col) + " の値 " + RealText(value) +
                                       " は 32 ビット整数の範囲外です。");
  }
}

bool CellIsBlank(const CellValue& cell) {
  return cell.kind == CellKind::Empty || (cell.kind == CellKind::Text && cell.text.empty());
}

}  // namespace ombrix
