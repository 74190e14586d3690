#pragma once
// The cells of a worksheet part, read in one pass into a CellStore.

#include <string>
#include <string_view>
#include <vector>

#include "sheet/cell_store.h"

namespace ombrix::sheet::xlsx {

struct SheetContext {
  std::string path;                                          // the file, for messages
  std::string part;                                          // the sheet's entry name, for messages
  const std::vector<std::string>* shared_strings = nullptr;  // may be null: no table
  bool date1904 = false;
};

// Reads every cell of the worksheet `xml` into a finished store: numbers, texts (shared, inline,
// formula results), booleans, errors, and ISO dates (type "d") as serial numbers. A cell without
// a value is not stored. Error 321 naming the file, the part and the cell for anything that
// cannot be read as written.
CellStore ReadSheetCells(std::string_view xml, const SheetContext& context);

}  // namespace ombrix::sheet::xlsx
