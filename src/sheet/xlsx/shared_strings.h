#pragma once
// The shared-string table (the sst part): the texts that cells of type "s" point at by index.

#include <string>
#include <vector>

namespace pugi {
class xml_node;
}

namespace ombrix::sheet::xlsx {

// The table held by `xml`, the content of entry `part` of file `path`. Each item is the text of
// its runs in order, spaces kept as written and _xHHHH_ escapes decoded; phonetic readings
// (rPh) are left out. Error 321 when the part is not a shared-string table.
std::vector<std::string> ReadSharedStrings(const std::string& xml, const std::string& path,
                                           const std::string& part);

// The text of a string item (an si of the table or the is of a cell), as above.
std::string StringItemText(const pugi::xml_node& item);

}  // namespace ombrix::sheet::xlsx
