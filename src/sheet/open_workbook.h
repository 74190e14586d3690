#pragma once
// Opens a workbook by what its content is, not by its name (see workbook_format.h): an OLE2
// compound file is read as .xls (BIFF8), a ZIP archive as .xlsx.

#include <memory>
#include <string>

#include "platform/workbook.h"

namespace ombrix::sheet {

std::unique_ptr<Workbook> OpenWorkbook(const std::string& path);

class FileWorkbookOpener : public WorkbookOpener {
 public:
  std::unique_ptr<Workbook> Open(const std::string& path) override { return OpenWorkbook(path); }
};

}  // namespace ombrix::sheet
