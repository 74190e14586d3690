#include "sheet/xlsx/xlsx_reader.h"

#include "sheet/xlsx/shared_strings.h"
#include "sheet/xlsx/sheet_cells.h"
#include "sheet/xlsx/workbook_parts.h"
#include "sheet/xlsx/zip_archive.h"

namespace ombrix::sheet {
namespace {

std::unique_ptr<SheetWorkbook> ReadArchive(const xlsx::ZipArchive& archive) {
  const xlsx::WorkbookParts parts = xlsx::LocateWorkbookParts(archive);
  std::vector<std::string> shared_strings;
  if (!parts.shared_strings.empty()) {
    shared_strings = xlsx::ReadSharedStrings(archive.Read(*archive.Find(parts.shared_strings)),
                                             archive.path(), parts.shared_strings);
  }
  const xlsx::SheetContext context{archive.path(), parts.active_sheet,
                                   parts.shared_strings.empty() ? nullptr : &shared_strings,
                                   parts.date1904};
  CellStore cells;
  {
    // The unpacked sheet is the largest buffer; it goes as soon as its cells are stored.
    const std::string xml = archive.Read(*archive.Find(parts.active_sheet));
    cells = xlsx::ReadSheetCells(xml, context);
  }
  return std::make_unique<SheetWorkbook>(parts.active_sheet_name, std::move(cells));
}

}  // namespace

std::unique_ptr<SheetWorkbook> ReadXlsx(const std::string& path) {
  return ReadArchive(xlsx::ZipArchive::OpenFile(path));
}

std::unique_ptr<SheetWorkbook> ReadXlsxBytes(const std::vector<std::uint8_t>& bytes,
                                             const std::string& path) {
  return ReadArchive(xlsx::ZipArchive::OpenBytes(bytes, path));
}

}  // namespace ombrix::sheet
