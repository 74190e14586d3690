#pragma once
// Reads the active sheet of a BIFF8 .xls workbook (an OLE2 compound file).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sheet/cell_store.h"
#include "sheet/mark_query.h"

namespace ombrix::sheet {

// `path` names the file in error descriptions. Errors: 321 for a file that is not a BIFF8
// workbook, or one this program does not read (Excel 95 and older, encrypted), with the reason.
std::unique_ptr<SheetWorkbook> ReadXls(const std::string& path);
// `marks`, when given, learns which of its cells wear the grey fill of a mark.
std::unique_ptr<SheetWorkbook> ReadXlsBytes(const std::vector<std::uint8_t>& bytes,
                                            const std::string& path, MarkQuery* marks = nullptr);

}  // namespace ombrix::sheet
