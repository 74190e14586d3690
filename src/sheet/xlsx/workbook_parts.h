#pragma once
// Where a workbook keeps what the reader needs: found through the package's relationships, so
// a rewrite can replace exactly these parts and copy every other entry as it is.

#include <string>

#include "sheet/xlsx/zip_archive.h"

namespace ombrix::sheet::xlsx {

struct WorkbookParts {
  std::string workbook;           // e.g. "xl/workbook.xml"
  std::string active_sheet;       // the active sheet's part, e.g. "xl/worksheets/sheet2.xml"
  std::string active_sheet_name;  // as the sheet tab shows it
  std::string active_sheet_id;    // its sheetId, as written (calcChain entries name it)
  std::string shared_strings;     // "" when the workbook has no shared-string table
  std::string styles;             // "" when the workbook has no styles part
  bool date1904 = false;          // dates count from 1904-01-01 instead of 1900-01-01
};

// Error 321 naming the file and the missing or broken part when the archive is not a workbook
// or its active sheet is not a worksheet that exists in the archive.
WorkbookParts LocateWorkbookParts(const ZipArchive& archive);

}  // namespace ombrix::sheet::xlsx
