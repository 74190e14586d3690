#pragma once
// The shared-string table (the sst part): the texts that cells of type "s" point at by index.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sheet/cell_store.h"

namespace pugi {
class xml_node;
}

namespace ombrix::sheet::xlsx {

// Walks the table held by `xml`, the content of entry `part` of file `path`, without building it:
// `take(index, text)` receives the items `wanted(index)` accepts, each the text of its runs in
// order, spaces kept as written and _xHHHH_ escapes decoded; phonetic readings (rPh) are left
// out. Returns the number of items. Error 321 when the part is not a shared-string table or
// holds more than kMaxSharedStrings items.
std::size_t ScanSharedStrings(std::string_view xml, const std::string& path,
                              const std::string& part,
                              const std::function<bool(std::size_t)>& wanted,
                              const std::function<void(std::size_t, std::string)>& take);

// Every item of the table, as above.
std::vector<std::string> ReadSharedStrings(const std::string& xml, const std::string& path,
                                           const std::string& part);

// A shared string the sheet shows: the store's text that stands for it, and the first cell
// showing it (for messages).
struct SharedStringUse {
  std::uint32_t text_id = 0;
  std::int32_t row = 0;
  std::int32_t col = 0;
};
using SharedStringUses = std::unordered_map<std::uint32_t, SharedStringUse>;

// Fills the texts of `uses` in `cells` from the table `xml` (entry `part`; empty `xml` and
// `part` when the workbook has none), keeping only the items the sheet shows. Error 321 naming
// the sheet part `sheet_part` and the cell when a cell points past the table's end; refused
// when the texts kept exceed `text_limit` bytes.
void FillSharedStrings(std::string_view xml, const std::string& path, const std::string& part,
                       const std::string& sheet_part, const SharedStringUses& uses,
                       std::size_t text_limit, CellStore& cells);

// Refuses the file when the texts kept in `cells` exceed `text_limit` bytes.
void CheckTextLimit(const CellStore& cells, std::size_t text_limit, const std::string& path,
                    const std::string& part);

// The text of a string item (an si of the table or the is of a cell), as above.
std::string StringItemText(const pugi::xml_node& item);

}  // namespace ombrix::sheet::xlsx
