#pragma once
// The workbook stream of an OLE2 compound file, read through libgsf. libgsf only opens the
// compound file and hands over the bytes of its "Workbook" stream (BIFF8); a "Book" stream
// (BIFF5/7, Excel 95 and older) or an encrypted package is reported as unsupported.

#include <cstdint>
#include <vector>

#include "sheet/xls/byte_span.h"

namespace ombrix::sheet::xls {

// Returns the bytes of the "Workbook" stream. Throws XlsFormatError: broken when `file` is not
// a readable compound file, unsupported when it has no workbook stream (the reason names an
// encrypted package and a "Book" stream).
std::vector<std::uint8_t> ReadWorkbookStream(Bytes file);

}  // namespace ombrix::sheet::xls
