#pragma once
// Writing cells into a BIFF8 .xls workbook: the active sheet's substream is patched in place;
// every other stream and every other cell stays as it was. A shared formula whose first cell
// is overwritten moves on to the cells that remain; a number into one cell of a multi-cell
// array formula or of a data table is refused. Added cell formats keep the XFCRC checksum.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sheet/cell_edit.h"

namespace ombrix::sheet {

// The whole new file for the workbook in `bytes` (named `path` in error descriptions) with the
// edits applied. Error 321 when the workbook cannot be patched (the reason in Japanese).
std::vector<std::uint8_t> EditXlsBytes(const std::vector<std::uint8_t>& bytes,
                                       const std::string& path, std::span<const CellEdit> edits);

}  // namespace ombrix::sheet
