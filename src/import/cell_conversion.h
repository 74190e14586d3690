#pragma once
// How a workbook cell becomes a number: an empty cell is 0, a number is itself, a text must
// read as a number as a whole, TRUE is -1 and FALSE 0. Anything else is error 13 with the
// cell's name and content in the description.

#include <cstdint>

#include "platform/workbook.h"

namespace ombrix {

double CellToDouble(const CellValue& cell, std::int32_t row, std::int32_t col);
// To a 32-bit integer, halves to even; error 6 outside the range.
std::int32_t CellToLong(const CellValue& cell, std::int32_t row, std::int32_t col);
// An empty cell, or one holding empty text: a blank node.
bool CellIsBlank(const CellValue& cell);

}  // namespace ombrix
