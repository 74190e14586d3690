#pragma once
// Which cell formats (XF records) of a BIFF8 workbook show the grey fill of a mark, read from
// the record's own fields as a spreadsheet program reads them: a solid pattern (fill pattern
// 1) in palette entry 16 (pattern colour index 23), with no extended format (XFEXT) whose
// colours would take the place of the palette's.

#include <vector>

#include "sheet/xls/biff_workbook.h"
#include "sheet/xls/byte_span.h"

namespace ombrix::sheet::xls {

// Whether the XF record body `xf` shows the mark; a body too short to say does not.
bool IsMarkXf(Bytes xf);

// One flag per XF record of the globals substream of `stream`, in the order the cells number
// them. Throws XlsFormatError when the records cannot be walked.
std::vector<bool> MarkedXfs(Bytes stream, const WorkbookGlobals& globals);

}  // namespace ombrix::sheet::xls
