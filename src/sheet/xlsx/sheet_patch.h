#pragma once
// Rewrites a worksheet part as text in one pass: edited cells get their new number or style,
// missing cells and rows are inserted in order, and everything else is copied as written, so
// a sheet of a million cells costs little more than its own size.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "sheet/cell_edit.h"
#include "sheet/xlsx/cell_ref.h"

namespace ombrix::sheet::xlsx {

struct SheetPatchResult {
  std::string xml;
  // Cells that held a formula before and hold none now (their calcChain entries must go).
  std::vector<CellRef> removed_formulas;
};

// `edits` sorted by row, then column, one per cell, all inside the sheet's bounds. `marked_style`
// maps a cell's style index to the index of its grey-filled clone. A shared formula whose first
// cell is overwritten moves, translated, to the next cell of its range; cells the smaller range
// leaves out get the formula as their own. Error 321 naming `path` and `part` when the sheet
// cannot be patched (rows or cells out of order, bad style index), and naming the cell and the
// range when an edit falls inside a multi-cell array formula or data table.
SheetPatchResult PatchSheet(std::string_view xml, const std::vector<CellEdit>& edits,
                            const std::function<std::uint32_t(std::uint32_t)>& marked_style,
                            const std::string& path, const std::string& part);

}  // namespace ombrix::sheet::xlsx
