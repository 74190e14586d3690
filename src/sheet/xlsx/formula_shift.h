#pragma once
// Formula text as a cell formula is stored ("SUM(A2:A4)*$B$1"), moved to another cell the way a
// spreadsheet application fills a formula: relative references follow the move, absolute ($)
// parts stay. A shared formula is stored once, in its first cell, and means this moved text in
// every other cell of its range.

#include <cstdint>
#include <string>
#include <string_view>

namespace ombrix::sheet::xlsx {

// `formula` as it reads `rows` rows down and `cols` columns right of where it is stored. Cell
// references ("B4", "$B4", "B$4:C9"), whole columns ("A:C") and whole rows ("3:5") are moved,
// with or without a sheet in front ("Data!B4", "'My data'!B4"); text in double quotes, function
// names ("LOG10("), defined names, error literals and structured references ("T[Col]") are
// copied as written. A reference that the move pushes off the sheet becomes "#REF!" (a range
// as a whole).
std::string ShiftFormula(std::string_view formula, std::int32_t rows, std::int32_t cols);

}  // namespace ombrix::sheet::xlsx
