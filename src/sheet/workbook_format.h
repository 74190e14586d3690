#pragma once
// A workbook is recognised by its first bytes, not by its name: an OLE2 compound file is read
// as .xls, a ZIP archive as .xlsx. A bare BIFF2-5 stream (Excel 2 to 95 wrote workbooks without
// a compound file around them) is named for what it is.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace ombrix::sheet {

enum class WorkbookFormat { kXls, kXlsx };

// At least this many leading bytes (fewer only when the file is shorter) decide the format.
inline constexpr std::size_t kWorkbookHeadSize = 8;

// Whether `head` starts like a workbook, readable or not (a compound file, a ZIP archive, a
// bare BIFF2-5 stream): what RecognizeWorkbook does not refuse as "not a workbook".
bool StartsLikeWorkbook(std::span<const std::uint8_t> head);

// The format of the file `path` beginning with `head`. Error 321 naming the file when it is
// empty, an Excel 2-95 workbook, or not a workbook at all.
WorkbookFormat RecognizeWorkbook(std::span<const std::uint8_t> head, const std::string& path);

}  // namespace ombrix::sheet
