#pragma once
// Writing cells into an .xlsx workbook: only the active sheet's part and xl/styles.xml are
// rewritten (and xl/calcChain.xml when a formula cell is overwritten); every other entry is
// copied unchanged, in the same order.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sheet/cell_edit.h"

namespace ombrix::sheet {

// The whole new file for the workbook in `bytes` (named `path` in error descriptions) with the
// edits applied. Error 321 when the workbook cannot be patched (the reason in Japanese).
std::vector<std::uint8_t> EditXlsxBytes(const std::vector<std::uint8_t>& bytes,
                                        const std::string& path, std::span<const CellEdit> edits);

}  // namespace ombrix::sheet
