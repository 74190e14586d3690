#pragma once
// The check a writer makes before it replaces a file: the cells read back from the new content
// against the cells read from the old one, with the edits applied.

#include <span>
#include <string>

#include "sheet/cell_edit.h"
#include "sheet/cell_store.h"

namespace ombrix::sheet {

// Raises error 321 naming `path`, `where` (such as the sheet) and the first cell that differs
// when `after` is not `before` with every edit's number in place. Numbers compare bit for bit.
void CheckWrittenCells(const CellStore& before, const CellStore& after,
                       std::span<const CellEdit> edits, const std::string& path,
                       const std::string& where);

}  // namespace ombrix::sheet
