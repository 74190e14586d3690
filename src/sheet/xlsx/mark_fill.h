#pragma once
// Which cell formats of a style sheet show the grey fill of a mark, read as a spreadsheet
// program reads them: the format's fillId names a fill, whose pattern must be solid in palette
// entry 16 (indexed colour 23).

#include <string>
#include <vector>

namespace ombrix::sheet::xlsx {

// One flag per cellXfs format of the styles part `xml` (entry `part` of file `path`); empty for
// a workbook without styles. Error 321 when the part is not XML.
std::vector<bool> MarkedFormats(const std::string& xml, const std::string& path,
                                const std::string& part);

}  // namespace ombrix::sheet::xlsx
