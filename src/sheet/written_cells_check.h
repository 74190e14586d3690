#pragma once
// The check a writer makes before it replaces a file: the cells read back from the new content
// against the cells read from the old one, with the edits applied.

#include <span>
#include <string>

#include "sheet/cell_edit.h"
#include "sheet/cell_store.h"
#include "sheet/mark_query.h"

namespace ombrix::sheet {

// Raises error 321 naming `path`, `where` (such as the sheet) and the first cell that differs
// when `after` is not `before` with every edit's number in place. Numbers compare bit for bit.
void CheckWrittenCells(const CellStore& before, const CellStore& after,
                       std::span<const CellEdit> edits, const std::string& path,
                       const std::string& where);

// The cells the edits mark, each once, in row-major order: what to ask the read-back about.
MarkQuery MarksToCheck(std::span<const CellEdit> edits);

// Raises error 321 naming `path`, `where` and the first asked cell that does not read back as
// marked. `marks` has been answered by a reader.
void CheckWrittenMarks(const MarkQuery& marks, const std::string& path, const std::string& where);

}  // namespace ombrix::sheet
