#pragma once
// The BIFF8 workbook stream: the globals substream (sheets, active sheet, shared strings) and
// the cell table of one worksheet. Besides the cells, the parser can keep where each cell and
// sheet lives in the stream (record offsets, XF indexes), so a later writer can patch the
// sheet substream in place.

#include <cstdint>
#include <string>
#include <vector>

#include "sheet/cell_store.h"
#include "sheet/mark_query.h"
#include "sheet/xls/byte_span.h"

namespace ombrix::sheet::xls {

enum class SheetType : std::uint8_t { kWorksheet, kMacroSheet, kChart, kVbModule, kOther };

struct SheetEntry {
  std::string name;
  std::uint32_t bof_offset = 0;         // lbPlyPos: the sheet's BOF in the stream
  std::uint32_t boundsheet_offset = 0;  // the BOUNDSHEET record naming it
  SheetType type = SheetType::kWorksheet;
  std::uint8_t visibility = 0;  // 0 visible, 1 hidden, 2 very hidden
};

struct WorkbookGlobals {
  std::vector<SheetEntry> sheets;           // in BOUNDSHEET order (the order of the tabs)
  std::vector<std::string> shared_strings;  // the SST, as UTF-8
  std::int64_t window1_offset = -1;         // the first WINDOW1 record, -1 when none
  std::int32_t itab_cur = -1;               // WINDOW1's selected tab, -1 when none
  std::int64_t sst_offset = -1;             // the SST record, -1 when none
  std::uint32_t eof_offset = 0;             // the globals' EOF record
  std::size_t active_sheet = 0;             // index into sheets: see ChooseActiveSheet
};

// Where one cell lives in the workbook stream.
struct CellLocation {
  std::int32_t row = 0;               // from 1
  std::int32_t col = 0;               // from 1
  std::uint32_t record_offset = 0;    // the record's header in the stream
  std::uint16_t record_type = 0;      // NUMBER, RK, MULRK, LABELSST, FORMULA, BLANK, ...
  std::uint16_t xf = 0;               // the cell's XF (format) index
  std::uint16_t index_in_record = 0;  // MULRK / MULBLANK: which of the record's cells
};

struct SheetLayout {
  std::uint32_t bof_offset = 0;
  std::uint32_t eof_offset = 0;
  std::vector<CellLocation> cells;  // in stream order, blank cells included
};

// Reads the globals substream from the stream's start. Throws XlsFormatError.
WorkbookGlobals ParseGlobals(Bytes stream);

// The sheet the workbook opens on: WINDOW1's tab when it is a worksheet, else the first
// worksheet. Throws XlsFormatError when there is no worksheet.
std::size_t ChooseActiveSheet(const WorkbookGlobals& globals);

// Reads the cell table of sheet `sheet_index` into `cells` (not finished); fills `layout`
// when it is not null, and notes in `marks`, when it is not null, the XF index of the cells it
// asks about. Throws XlsFormatError.
void ParseSheetCells(Bytes stream, const WorkbookGlobals& globals, std::size_t sheet_index,
                     CellStore& cells, SheetLayout* layout, MarkQuery* marks = nullptr);

// The name of a BIFF error code: 0x07 is "#DIV/0!".
const char* ErrorCodeName(std::uint8_t code);

}  // namespace ombrix::sheet::xls
