#pragma once
// The cells of a worksheet part, read in one pass into a CellStore.

#include <string>
#include <string_view>
#include <vector>

#include "sheet/cell_store.h"
#include "sheet/mark_query.h"
#include "sheet/xlsx/shared_strings.h"

namespace ombrix::sheet::xlsx {

struct SheetContext {
  std::string path;                                          // the file, for messages
  std::string part;                                          // the sheet's entry name, for messages
  const std::vector<std::string>* shared_strings = nullptr;  // may be null: no table
  bool date1904 = false;
  // When set, cells of type "s" are recorded here with an empty text, to be filled from the
  // table afterwards (FillSharedStrings), and `shared_strings` is not consulted.
  SharedStringUses* deferred_strings = nullptr;
  std::size_t text_limit = std::size_t{256} * 1024 * 1024;  // bytes of text kept, at most
  // When set, the format index (`s`) of the cells it asks about is noted in it.
  MarkQuery* marks = nullptr;
  // A part at least this long is read in two halves on two threads, with the same result.
  std::size_t split_bytes = std::size_t{4} * 1024 * 1024;
  // When set, told whether the part was read in two halves (false: in one pass).
  bool* read_in_halves = nullptr;
};

// Reads every cell of the worksheet `xml` into a finished store: numbers, texts (shared, inline,
// formula results), booleans, errors, and ISO dates (type "d") as serial numbers. A cell without
// a value is not stored. Error 321 naming the file, the part and the cell for anything that
// cannot be read as written. A shared string shown by many cells is kept once.
CellStore ReadSheetCells(std::string_view xml, const SheetContext& context);

}  // namespace ombrix::sheet::xlsx
