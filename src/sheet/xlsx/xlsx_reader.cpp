#include "sheet/xlsx/xlsx_reader.h"

#include <filesystem>
#include <limits>
#include <system_error>

#include "sheet/read_limits.h"
#include "sheet/xlsx/mark_fill.h"
#include "sheet/xlsx/shared_strings.h"
#include "sheet/xlsx/sheet_cells.h"
#include "sheet/xlsx/workbook_parts.h"
#include "sheet/xlsx/zip_archive.h"

namespace ombrix::sheet {
namespace {

std::unique_ptr<SheetWorkbook> ReadArchive(const xlsx::ZipArchive& archive,
                                           std::uint64_t file_bytes, MarkQuery* marks) {
  const xlsx::WorkbookParts parts = xlsx::LocateWorkbookParts(archive);
  // The sheet comes first: only the shared strings it shows are then kept from the table.
  xlsx::SharedStringUses uses;
  xlsx::SheetContext context{archive.path(), parts.active_sheet, nullptr, parts.date1904};
  context.deferred_strings = &uses;
  context.text_limit = MaxTextBytes(file_bytes);
  context.marks = marks;
  CellStore cells;
  {
    // The unpacked sheet is the largest buffer; it goes as soon as its cells are stored.
    const std::string xml = archive.Read(*archive.Find(parts.active_sheet));
    cells = xlsx::ReadSheetCells(xml, context);
  }
  if (!uses.empty() && !parts.shared_strings.empty()) {
    const std::string xml = archive.Read(*archive.Find(parts.shared_strings));
    xlsx::FillSharedStrings(xml, archive.path(), parts.shared_strings, parts.active_sheet, uses,
                            context.text_limit, cells);
  } else {
    xlsx::FillSharedStrings({}, archive.path(), {}, parts.active_sheet, uses, context.text_limit,
                            cells);
  }
  if (marks != nullptr) {
    const xlsx::ZipEntry* styles = parts.styles.empty() ? nullptr : archive.Find(parts.styles);
    marks->Resolve(xlsx::MarkedFormats(styles != nullptr ? archive.Read(*styles) : std::string(),
                                       archive.path(), parts.styles));
  }
  return std::make_unique<SheetWorkbook>(parts.active_sheet_name, std::move(cells));
}

}  // namespace

std::unique_ptr<SheetWorkbook> ReadXlsx(const std::string& path) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  // An unknown size leaves only the fixed ceiling on text.
  return ReadArchive(xlsx::ZipArchive::OpenFile(path),
                     ec ? std::numeric_limits<std::uint64_t>::max() / 64 : size, nullptr);
}

std::unique_ptr<SheetWorkbook> ReadXlsxBytes(const std::vector<std::uint8_t>& bytes,
                                             const std::string& path, MarkQuery* marks) {
  return ReadArchive(xlsx::ZipArchive::OpenBytes(bytes, path), bytes.size(), marks);
}

}  // namespace ombrix::sheet
