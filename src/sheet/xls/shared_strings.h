#pragma once
// The shared-string table (SST record and its CONTINUE records) of a BIFF8 workbook.

#include <cstdint>
#include <string>
#include <vector>

#include "sheet/xls/biff_record_reader.h"

namespace ombrix::sheet::xls {

// Decodes the SST whose body and CONTINUE bodies are `segments` into UTF-8 strings. Throws
// XlsFormatError when the table declares more strings than its bytes hold, or a string runs
// past them.
std::vector<std::string> ParseSharedStrings(const std::vector<BiffSegment>& segments);

}  // namespace ombrix::sheet::xls
