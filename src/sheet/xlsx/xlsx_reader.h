#pragma once
// Reads the active sheet of an .xlsx workbook (Office Open XML in a ZIP archive).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sheet/cell_store.h"
#include "sheet/mark_query.h"

namespace ombrix::sheet {

// `path` names the file in error descriptions. Errors: 321 for an archive that is not a
// workbook or breaks the limits (entry over 256 MiB unpacked, or packed more than 200:1).
std::unique_ptr<SheetWorkbook> ReadXlsx(const std::string& path);
// `marks`, when given, learns which of its cells wear the grey fill of a mark.
std::unique_ptr<SheetWorkbook> ReadXlsxBytes(const std::vector<std::uint8_t>& bytes,
                                             const std::string& path, MarkQuery* marks = nullptr);

}  // namespace ombrix::sheet
