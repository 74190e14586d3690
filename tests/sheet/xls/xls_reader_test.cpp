// The .xls reader end to end: hand-built streams (every record kind, broken and unsupported
// files), and the fixtures' cells cross-checked against FreeXL, an independent reader.

#include <freexl.h>
#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <tuple>

#include "model/run_error.h"
#include "sheet/read_limits.h"
#include "sheet/xls/biff_workbook.h"
#include "sheet/xls/ole_stream.h"
#include "sheet/xls/xls_reader.h"
#include "sheet/xls/xls_test_helpers.h"
#include "sheet/xlsx/cell_value_printer.h"
#include "sheet/xlsx/error_expect.h"

namespace ombrix::sheet {
namespace {

using namespace xls::testing;  // NOLINT
using xlsx::testing::Contains;

const std::string kPath = "/data/crafted.xls";

std::unique_ptr<SheetWorkbook> ReadStream(const ByteVec& stream) {
  return ReadXlsBytes(CompoundFile(stream), kPath);
}

// The description of the error 321 `read` must raise, which must name the file.
template <typename F>
std::string Error321(F read) {
  const std::string d = xlsx::testing::Error321(read);
  EXPECT_TRUE(Contains(d, kPath)) << d;
  return d;
}
std::string StreamError(const ByteVec& stream) {
  return Error321([&] { ReadStream(stream); });
}

TEST(XlsCrafted, EveryCellRecordKind) {
  Le cells;
  cells
      .bytes(Number(0, 0, 1.25))         // A1
      .bytes(Rk(0, 1, (7u << 2) | 2))    // B1
      .bytes(LabelSst(0, 2, 1))          // C1
      .bytes(Label(0, 3, "caf\xE9"))     // D1 (Latin-1 é)
      .bytes(BoolErr(0, 4, 1, false))    // E1
      .bytes(BoolErr(0, 5, 0x2A, true))  // F1
      .bytes(Blank(0, 6));               // G1
  // MULRK B2:D2 = 1, -2, 0.5 (integer, negative integer, double)
  Le mulrk;
  mulrk.u16(1).u16(1).u16(20).u32((1u << 2) | 2).u16(21).u32((0xFFFFFFFEu << 2) | 2);
  cells.bytes(Record(0x00BD, mulrk.u16(22).u32(0x3FE00000).u16(3).b));
  // MULBLANK B3:D3, then the other error codes in A4:A6.
  cells.bytes(Record(0x00BE, Le().u16(2).u16(1).u16(30).u16(31).u16(32).u16(3).b));
  cells.bytes(BoolErr(3, 0, 0x00, true)).bytes(BoolErr(4, 0, 0x17, true));
  cells.bytes(BoolErr(5, 0, 0x24, true));
  // An embedded chart's substream, whose cells are not the sheet's, then formula results in H.
  cells.bytes(Bof(0x0020)).bytes(Number(0, 0, 99)).bytes(Eof());
  cells.bytes(Formula(0, 7, Le().f64(3.8333333333333335).b))
      .bytes(Formula(1, 7, SpecialResult(1, 1)))     // TRUE
      .bytes(Formula(2, 7, SpecialResult(2, 0x07)))  // #DIV/0!
      .bytes(Formula(3, 7, SpecialResult(3, 0)))     // empty text
      .bytes(Formula(4, 7, SpecialResult(0, 0)))     // text in the STRING record
      .bytes(Record(0x04BC, ByteVec(10, 0)))         // a SHRFMLA may come in between
      .bytes(Record(0x0207, Le().u16(6).u8(0).latin1("mesh ").b))
      .bytes(Record(0x003C, Le().u8(1).utf16(u"A").b))  // ... and go on in 16 bits
      .bytes(Formula(5, 7, SpecialResult(0, 0)))
      .bytes(Record(0x0207, Le().u16(0).u8(0).b));  // empty string result
  // A STRING record without its formula is ignored.
  cells.bytes(Number(6, 7, 1)).bytes(Record(0x0207, Le().u16(1).u8(0).latin1("x").b));
  const ByteVec stream = WorkbookStream(Sst({"zero", "one"}), {{"cells", cells.b}});
  const auto wb = ReadStream(stream);
  EXPECT_EQ(Cells(*wb, "A1 B1 C1 D1 E1 F1 G1 B2 C2 D2 E2 C3 A4 A5 A6"),
            "Number(1.25) Number(7) Text(\"one\") Text(\"caf\u00E9\") Boolean(1) Error(\"#N/A\") "
            "Empty Number(1) Number(-2) Number(0.5) Empty Empty Error(\"#NULL!\") Error(\"#REF!\") "
            "Error(\"#NUM!\")");
  EXPECT_EQ(Cells(*wb, "H1 H2 H3 H4 H5 H6 H7"),
            "Number(3.8333333333333335) Boolean(1) Error(\"#DIV/0!\") Empty Text(\"mesh A\") Empty "
            "Number(1)");

  // The layout keeps each cell's place, XF and record, blanks included.
  const auto globals = xls::ParseGlobals(stream);
  CellStore store;
  xls::SheetLayout layout;
  xls::ParseSheetCells(stream, globals, 0, store, &layout);
  ASSERT_EQ(layout.cells.size(), 23u);
  const auto at = [&](std::size_t i) {
    const xls::CellLocation& c = layout.cells[i];
    return std::tuple(c.row, c.col, c.xf, c.record_type, c.index_in_record,
                      stream[c.record_offset]);
  };
  EXPECT_EQ(at(8), std::tuple(2, 3, 21, 0x00BD, 1, 0xBD));   // MULRK's C2
  EXPECT_EQ(at(12), std::tuple(3, 4, 32, 0x00BE, 2, 0xBE));  // MULBLANK's D3
  EXPECT_EQ(stream[layout.bof_offset], 0x09);
  EXPECT_EQ(stream[layout.eof_offset], 0x0A);
}

// The second sheet's name is stored in 16 bits.
TEST(XlsCrafted, ActiveSheetFromWindow1) {
  const std::vector<SheetSpec> sheets{{"first", Number(0, 0, 1)}, {"", Number(0, 0, 2), 0, u"表2"}};
  const auto second = ReadStream(WorkbookStream(Window1(1), sheets));
  EXPECT_EQ(second->ActiveSheetName(), "表2");
  // No WINDOW1, or one naming no sheet: the first worksheet.
  EXPECT_EQ(ReadStream(WorkbookStream({}, sheets))->ActiveSheetName(), "first");
  EXPECT_EQ(ReadStream(WorkbookStream(Window1(7), sheets))->ActiveSheetName(), "first");
  // An active chart is refused, not swapped for the worksheet beside it; an inactive one is not.
  const std::vector<SheetSpec> chart_first{{"chart", {}, 2}, {"data", Number(0, 0, 5)}};
  const std::string why = StreamError(WorkbookStream(Window1(0), chart_first));
  EXPECT_TRUE(Contains(why, "\"chart\"") && !Contains(why, "\n") &&
              Contains(why, "the active sheet is a chart; make a worksheet active and save"))
      << why;
  EXPECT_EQ(ReadStream(WorkbookStream(Window1(1), chart_first))->ActiveSheetName(), "data");
}

TEST(XlsCrafted, BrokenStreamsAreError321) {
  ByteVec cut_record = WorkbookStream({}, {{"s", Number(0, 0, 1)}});
  cut_record.resize(cut_record.size() - 6);  // into the NUMBER record, EOF gone
  ByteVec no_eof = WorkbookStream({}, {{"s", Number(0, 0, 1)}});
  no_eof.resize(no_eof.size() - 4);
  auto bound_sheet = [](std::uint32_t pos) {
    return Le()
        .bytes(Bof(5))
        .bytes(Record(0x85, Le().u32(pos).u8(0).u8(0).u8(1).u8(0).latin1("x").b))
        .bytes(Eof())
        .b;
  };
  const ByteVec biff5 = Le().bytes(Bof(5, 0x0500)).bytes(Eof()).b;
  const struct {
    ByteVec stream;
    const char* says;  // after the file's name: broken or unsupported, and why
    const char* stream_name = "Workbook";
  } cases[] = {
      {WorkbookStream(Sst({"a", "b"}), {{"s", LabelSst(6, 7, 2)}}),
       "は壊れています: 位置 77 のLABELSST (セル H7) の文字列番号 2 が"},
      {WorkbookStream({}, {{"s", LabelSst(0, 0, 0)}}),
       "は壊れています: 位置 57 のLABELSST (セル A1)"},
      // A NUMBER whose body holds 10 bytes instead of 14.
      {WorkbookStream({}, {{"s", Record(0x0203, Le().u16(0).u16(0).u16(15).u32(0).b)}}),
       "は壊れています: NUMBER が途中で切れています"},
      {cut_record, "は壊れています: 位置 57 のレコード (種類 0x0203)"},
      {no_eof, "は壊れています: シート \"s\" が EOF"},
      {WorkbookStream({}, {{"s", Record(0x00BD, Le().u16(0).u16(0).u16(15).u32(2).u8(0).b)}}),
       "は壊れています: 位置 57 のMULRK"},
      {WorkbookStream(Sst({"a"}, 9), {{"s", Number(0, 0, 1)}}), "は壊れています: SST は 9 個"},
      {bound_sheet(100000), "は壊れています: シート \"x\" の位置 100000 (BOUNDSHEET)"},
      {bound_sheet(4), "は壊れています: シート \"x\" が BOF"},
      {WorkbookStream({}, {}), "は壊れています: ブックにワークシートがありません"},
      {Number(0, 0, 1), "は壊れています: ブックの全体設定"},
      {{}, "は壊れています: \"Workbook\" ストリームが空です"},
      {biff5, "は読み込めません: Excel 2–95 のブックです"},
      {biff5, "は読み込めません: Excel 2–95 のブックです", "Book"},
      {Le().bytes(Record(0x0409, Le().u16(0).u16(0x10).u16(0).b)).bytes(Eof()).b,
       "は読み込めません: Excel 2–95 のブックです"},
      {Eof(), "は読み込めません: \"Workbook\" ストリームがなく、Excel のブックではありません",
       "Other"},
      {WorkbookStream(Record(0x002F, Le().u16(1).bytes(ByteVec(52, 0)).b),
                      {{"s", Number(0, 0, 1)}}),
       "は読み込めません: パスワードで保護されています"},
  };
  for (const auto& c : cases) {
    const std::string d =
        Error321([&] { ReadXlsBytes(CompoundFile(c.stream, c.stream_name), kPath); });
    EXPECT_TRUE(Contains(d, "\"" + kPath + "\" " + c.says)) << d;
  }
}

TEST(XlsCompoundFile, DamageIsAQuickError321) {
  Le cells;  // enough to live in regular sectors, not the mini stream
  for (int r = 0; r < 600; ++r)
    cells.bytes(Number(r, 0, r));
  const ByteVec intact = CompoundFile(WorkbookStream({}, {{"s", cells.b}}));
  EXPECT_EQ(ReadXlsBytes(intact, kPath)->Cell(600, 1), CellValue::Number(599));
  auto start_of = [](OleView& o) { return o.u32(o.dirent_offset("Workbook") + 0x74); };
  const std::vector<std::pair<std::function<void(OleView&)>, const char*>> damage = {
      {[&](OleView& o) { o.set_fat(start_of(o), start_of(o)); }, ""},  // chain pointing to itself
      {[&](OleView& o) { o.set_fat(o.fat(o.fat(start_of(o))), start_of(o)); }, ""},  // looping back
      {[&](OleView& o) { o.set_fat(start_of(o), 0x00FFFFF0); }, ""},  // chain beyond the file
      {[](OleView& o) { o.put32(o.dirent_offset("Workbook") + 0x74, 0x00FFFFF0); }, ""},
      {[](OleView& o) { o.put32(o.dirent_offset("Workbook") + 0x78, 0x7FFFFFF0); }, ""},  // size
      {[](OleView& o) { o.put32(0x30, 0x00FFFFF0); }, ""},  // directory outside the file
      {[](OleView& o) { o.put32(0x2C, 0x7FFFFFFF); }, ""},  // FAT count
      {[](OleView& o) { o.file[0x1E] = 30; }, ""},          // sector shift
      {[](OleView& o) { o.file.resize(o.file.size() / 2); }, ""},
      {[](OleView& o) { o.file.resize(300); }, ""},
      // A root entry with siblings: libgsf before 1.14.50 leaks them (found by fuzzing).
      {[](OleView& o) { o.put32(o.sector_offset(o.u32(0x30)) + 0x44, 1); }, "ルート"},
      // A looping directory chain: libgsf may still find the stream in the first sector.
      {[](OleView& o) { o.set_fat(o.u32(0x30), o.u32(0x30)); }, nullptr},
  };
  for (std::size_t i = 0; i < damage.size(); ++i) {
    SCOPED_TRACE(i);
    ByteVec file = intact;
    OleView ole{file};
    damage[i].first(ole);
    const auto start = std::chrono::steady_clock::now();
    if (damage[i].second != nullptr) {
      const std::string d = Error321([&] { ReadXlsBytes(file, kPath); });
      EXPECT_TRUE(Contains(d, damage[i].second)) << d;
    } else {
      try {
        ReadXlsBytes(file, kPath);
      } catch (const RunError& e) {
        EXPECT_EQ(e.number(), 321);
      }
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  }
}

TEST(XlsReadLimits, AStringShownByManyCellsIsKeptOnce) {
  const std::string long_text(8000, 'q');
  Le cells;
  for (int i = 0; i < 2000; ++i)
    cells.bytes(LabelSst(i / 100, i % 100, i % 2));
  const auto book = ReadStream(WorkbookStream(Sst({long_text, "short"}), {{"data", cells.b}}));
  EXPECT_EQ(book->Cell(1, 1), CellValue::Text(long_text));
  EXPECT_EQ(book->Cell(20, 100), CellValue::Text("short"));
  EXPECT_EQ(book->cells().size(), 2000u);
  // One copy of the long text, not one per cell (2,000 copies would be 16 MB).
  EXPECT_LT(book->cells().MemoryBytes(), 200'000u);
}

TEST(XlsReadLimits, MoreSheetsOrSharedStringsThanTheCapsAreRefused) {
  std::vector<SheetSpec> sheets(kMaxSheets + 1);
  for (std::size_t i = 0; i < sheets.size(); ++i)
    sheets[i].name = "S" + std::to_string(i);
  const struct {
    ByteVec stream;
    const char* says;
  } cases[] = {
      {WorkbookStream(Sst({"x"}), sheets), "シートが上限の 65535 枚を超えています"},
      {WorkbookStream(Sst({"x"}, kMaxSharedStrings + 1), {{"d", LabelSst(0, 0, 0)}}),
       "16777217 個あり、上限の 16777216 個を超えています"},
  };
  for (const auto& c : cases) {
    const std::string why = StreamError(c.stream);
    EXPECT_TRUE(Contains(why, "\"" + kPath + "\" は読み込めません: ")) << why;
    EXPECT_TRUE(Contains(why, c.says)) << why;
  }
  sheets.resize(kMaxSheets);  // exactly the cap is read
  EXPECT_EQ(ReadStream(WorkbookStream(Sst({"x"}), sheets))->ActiveSheetName(), "S0");
}

TEST(XlsReaderMarks, AskedCellsLearnTheirFillThroughTheirXf) {
  // XF 16: a cell format with a solid fill in colour index 23.
  ByteVec mark(20, 0);
  mark[17] = 1 << 2;  // fill pattern 1 in the top bits of the word at 14
  mark[18] = 23;
  mark[19] = 64 >> 1;  // background colour 64 in bits 7..13
  const ByteVec globals = Le().bytes(XfTable()).bytes(Record(0x00E0, mark)).b;
  const ByteVec cells =
      Le().bytes(Number(1, 0, 1.0, 16))
          .bytes(Number(1, 1, 2.0))
          .bytes(Number(1, 3, 3.0, 40))
          .bytes(Record(0x00BE, Le().u16(2).u16(0).u16(15).u16(16).u16(16).u16(2).b))
          .bytes(Blank(3, 0, 16))
          .b;
  MarkQuery marks({{2, 1}, {2, 2}, {2, 4}, {3, 1}, {3, 2}, {3, 3}, {4, 1}, {5, 5}});
  const auto book =
      ReadXlsBytes(CompoundFile(WorkbookStream(globals, {{"S", cells}})), "crafted.xls", &marks);
  EXPECT_EQ(book->Cell(2, 1), CellValue::Number(1));
  // A2 marked, B2 plain, D2 beyond the XF table, a MULBLANK run of plain, marked, marked, a
  // marked BLANK, and a cell the sheet lacks.
  const bool expected[] = {true, false, false, false, true, true, true, false};
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(marks.marked(i), expected[i]) << i;
  }
}

// What FreeXL cannot show: the active sheet, empty cells, booleans, the file it cannot open.
TEST(XlsReaderFixtures, BothWritersHoldTheListedCells) {
  const struct {
    const char* base;
    const char* sheet;  // expected active sheet, or nullptr
    const char* cells;
    const char* want;
  } cases[] = {
      {"mesh_small", "mesh", "A1 F3 I6 H7 B1 J7",
       "Text(\"small mesh 3 x 2\") Number(3) Number(3.25) Number(0) Empty Empty"},
      // With the parameter block (B20 is 1e-06), which FreeXL cannot open in the xlwt file.
      {"mesh_blanks", nullptr, "G6 H7 J7 I8 I9 K7 A13 B13 A15 B15 A19 B20",
       "Number(5.5) Empty Empty Empty Number(0) Number(7) Text(\"membrane weight\") Number(1) "
       "Text(\"data weight\") Number(10) Text(\"over-relaxation factor\") "
       "Number(9.9999999999999995e-07)"},
      {"mesh_second_sheet_active", "mesh", "A1 F3 J8",
       "Text(\"the active sheet\") Number(4) Number(6.5)"},
      {"mesh_labels_notes", nullptr, "A1 B1 J12 A22",
       "Text(\"Survey mesh, site 4 (heights in m)\") Empty Number(12345) Text(\"end of sheet\")"},
      {"mesh_dates_booleans", nullptr, "B2 K7 B22", "Number(44270.5) Boolean(1) Boolean(0)"},
      {"points_small", "points", "A1 A3 E4", "Text(\"two points\") Number(2) Number(20)"},
      {"points_25", nullptr, "A3 D9", "Number(25) Empty"},
      {"points_empty_count", nullptr, "A3 C3", "Empty Number(5)"},
  };

  for (const char* writer : {"lo", "xlwt"}) {
    for (const auto& c : cases) {
      const std::string file = std::string(c.base) + "." + writer + ".xls";
      const auto wb = ReadXls(Fixture(file));
      if (c.sheet != nullptr) {
        EXPECT_EQ(wb->ActiveSheetName(), c.sheet) << file;
      }
      EXPECT_EQ(Cells(*wb, c.cells), c.want) << file;
    }
  }
}

// An Excel serial (1900 system, after 1900-02-28) as FreeXL prints a date, time or both.
std::string SerialText(double serial, int type) {
  using namespace std::chrono;
  const year_month_day d{sys_days{1899y / 12 / 30} + days{static_cast<int>(std::floor(serial))}};
  const long long secs = std::llround((serial - std::floor(serial)) * 86400.0);
  char date[32];
  char time[96];
  std::snprintf(date, sizeof date, "%04d-%02u-%02u", static_cast<int>(d.year()),
                static_cast<unsigned>(d.month()), static_cast<unsigned>(d.day()));
  std::snprintf(time, sizeof time, "%02lld:%02lld:%02lld", secs / 3600, secs / 60 % 60, secs % 60);
  if (type != FREEXL_CELL_DATETIME)
    return type == FREEXL_CELL_DATE ? date : time;
  return std::string(date) + " " + time;
}

// Every cell FreeXL reads in our active sheet against ours: how many, or -1 if it cannot open.
int CrossCheck(const std::string& name) {
  const std::string path = Fixture(name);
  const FreeXlBook book(path);
  if (book.h == nullptr)
    return -1;
  const auto wb = ReadXls(path);
  const auto globals = xls::ParseGlobals(xls::ReadWorkbookStream(ReadFile(path)));
  const auto index = static_cast<unsigned short>(globals.active_sheet);
  EXPECT_TRUE(book.Select(index)) << name;
  const char* sheet_name = nullptr;
  EXPECT_EQ(freexl_get_worksheet_name(book.h, index, &sheet_name), FREEXL_OK);
  EXPECT_EQ(std::string(sheet_name ? sheet_name : ""), wb->ActiveSheetName()) << name;
  unsigned int rows = 0;
  unsigned short cols = 0;
  EXPECT_EQ(freexl_worksheet_dimensions(book.h, &rows, &cols), FREEXL_OK);
  int compared = 0;
  for (unsigned int r = 0; r < rows; ++r) {
    for (unsigned short c = 0; c < cols; ++c) {
      const int row = static_cast<int>(r) + 1;
      FreeXL_CellValue v;
      if (!book.Get(row, c + 1, v) || v.type == FREEXL_CELL_NULL)
        continue;
      const CellValue ours = wb->Cell(row, c + 1);
      const std::string where = name + " " + CellName(row, c + 1);
      switch (v.type) {
        case FREEXL_CELL_INT:
          EXPECT_TRUE(ours.kind == CellKind::Number || ours.kind == CellKind::Boolean) << where;
          EXPECT_EQ(ours.number, static_cast<double>(v.value.int_value)) << where;
          break;
        case FREEXL_CELL_DOUBLE:
          EXPECT_EQ(ours.kind, CellKind::Number) << where;
          EXPECT_EQ(std::bit_cast<std::uint64_t>(ours.number),
                    std::bit_cast<std::uint64_t>(v.value.double_value))
              << where;
          break;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
          if (v.value.text_value[0] == '\0') {
            EXPECT_EQ(ours.kind, CellKind::Empty) << where;
          } else {
            EXPECT_EQ(ours, CellValue::Text(v.value.text_value)) << where;
          }
          break;
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
          EXPECT_EQ(ours.kind, CellKind::Number) << where;
          EXPECT_EQ(SerialText(ours.number, v.type), v.value.text_value) << where;
          break;
        default:
          ADD_FAILURE() << where << ": unknown FreeXL type " << v.type;
      }
      ++compared;
    }
  }
  return compared;
}

TEST(XlsReaderFreeXl, EveryFixtureMatchesFreeXl) {
  int opened = 0;
  for (const std::string& name : XlsFixtures()) {
    const int compared = CrossCheck(name);
    if (compared >= 0) {
      ++opened;
      EXPECT_GT(compared, 0) << name << ": FreeXL opened it but read no cell";
    }
  }
  EXPECT_GE(opened, 20);
}

TEST(XlsReaderBroken, BrokenFilesAreError321NamingTheFile) {
  for (const char* name : {"broken_truncated.xls", "broken_empty.xls", "broken_text_renamed.xls",
                           "mesh_small.lo.xlsx"}) {
    const std::string why = xlsx::testing::Error321([&] { ReadXls(Fixture(name)); });
    EXPECT_TRUE(Contains(why, "\"" + Fixture(name) + "\" は壊れています")) << why;
  }
  try {
    ReadXls(Fixture("no_such_file.xls"));
    ADD_FAILURE();
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), 53);
  }
}

}  // namespace
}  // namespace ombrix::sheet
