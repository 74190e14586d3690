// The .xls reader on the fixtures written by LibreOffice and xlwt (and their Excel-layout
// rewrites), cross-checked cell by cell against FreeXL, an independent reader.

#include "sheet/xls/xls_reader.h"

#include <freexl.h>
#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "model/run_error.h"
#include "sheet/xls/biff_workbook.h"
#include "sheet/xls/ole_stream.h"
#include "sheet/xls/xls_test_helpers.h"
#include "sheet/xlsx/cell_value_printer.h"
#include "sheet/xlsx/error_expect.h"

namespace ombrix::sheet {
namespace {

using xls::testing::Fixture;

std::unique_ptr<SheetWorkbook> Read(const std::string& name) {
  return ReadXls(Fixture(name));
}

std::uint64_t Bits(double d) {
  return std::bit_cast<std::uint64_t>(d);
}

// The parameter block every mesh fixture carries (B20 is 1e-06).
constexpr const char* kParameterCells = "A13 B13 A15 B15 A19 B20";
constexpr const char* kParameters =
    "Text(\"membrane weight\") Number(1) Text(\"data weight\") Number(10) "
    "Text(\"over-relaxation factor\") Number(9.9999999999999995e-07)";

struct FixtureCase {
  const char* base;
  const char* sheet;  // expected active sheet, or nullptr
  bool parameters;
  const char* cells;  // as Cells names them
  const char* want;   // and prints them
};

TEST(XlsReaderMarks, AskedCellsLearnTheirFillThroughTheirXf) {
  namespace t = xls::testing;
  // XF 16: a cell format with a solid fill in colour index 23.
  t::ByteVec mark(20, 0);
  mark[17] = 1 << 2;  // fill pattern 1 in the top bits of the word at 14
  mark[18] = 23;
  mark[19] = 64 >> 1;  // background colour 64 in bits 7..13
  const t::ByteVec globals = t::Le().bytes(t::XfTable()).bytes(t::Record(0x00E0, mark)).b;
  const t::ByteVec cells =
      t::Le()
          .bytes(t::Number(1, 0, 1.0, 16))
          .bytes(t::Number(1, 1, 2.0))
          .bytes(t::Number(1, 3, 3.0, 40))
          .bytes(t::Record(0x00BE, t::Le().u16(2).u16(0).u16(15).u16(16).u16(16).u16(2).b))
          .bytes(t::Blank(3, 0, 16))
          .b;
  MarkQuery marks({{2, 1}, {2, 2}, {2, 4}, {3, 1}, {3, 2}, {3, 3}, {4, 1}, {5, 5}});
  const auto book = ReadXlsBytes(t::CompoundFile(t::WorkbookStream(globals, {{"S", cells}})),
                                 "crafted.xls", &marks);
  EXPECT_EQ(book->Cell(2, 1), CellValue::Number(1));
  // A2 marked, B2 plain, D2 beyond the XF table, a MULBLANK run of plain, marked, marked, a
  // marked BLANK, and a cell the sheet lacks.
  const bool expected[] = {true, false, false, false, true, true, true, false};
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(marks.marked(i), expected[i]) << i;
  }
}

TEST(XlsReaderFixtures, BothWritersHoldTheListedCells) {
  const std::vector<FixtureCase> cases = {
      {"mesh_small", "mesh", true, "A1 F3 I6 H7 B1 J7",
       "Text(\"small mesh 3 x 2\") Number(3) Number(3.25) Number(0) Empty Empty"},
      {"mesh_blanks", nullptr, true, "G6 H7 J7 I8 I9 K7",
       "Number(5.5) Empty Empty Empty Number(0) Number(7)"},
      {"mesh_text_value", nullptr, true, "H7 G7", "Text(\"n/a\") Number(2.5)"},
      {"mesh_numeric_text", nullptr, true, "G6 I6 B19 H6",
       "Text(\"7.25\") Text(\"-3.5\") Text(\"1.5\") Number(8)"},
      {"mesh_counts_halves", nullptr, true, "F3 D5 E10", "Number(2.5) Number(3.5) Number(-10)"},
      {"mesh_second_sheet_active", "mesh", true, "A1 F3 J8",
       "Text(\"the active sheet\") Number(4) Number(6.5)"},
      {"mesh_labels_notes", nullptr, true, "A1 B1 J12 A22",
       "Text(\"Survey mesh, site 4 (heights in m)\") Empty Number(12345) Text(\"end of sheet\")"},
      {"mesh_dates_booleans", nullptr, true, "B2 K7 B22", "Number(44270.5) Boolean(1) Boolean(0)"},
      {"mesh_smooth_40x30", nullptr, false, "G6 AT35", "Number(114.2) Number(147.029)"},
      {"points_small", "points", false, "A1 A3 E4", "Text(\"two points\") Number(2) Number(20)"},
      {"points_25", nullptr, false, "A3 D9", "Number(25) Empty"},
      {"points_empty_count", nullptr, false, "A3 C3", "Empty Number(5)"},
  };

  for (const char* writer : {"lo", "xlwt"}) {
    for (const FixtureCase& c : cases) {
      const std::string file = std::string(c.base) + "." + writer + ".xls";
      const auto wb = Read(file);
      if (c.sheet != nullptr) {
        EXPECT_EQ(wb->ActiveSheetName(), c.sheet) << file;
      }
      EXPECT_EQ(xls::testing::Cells(*wb, c.cells), c.want) << file;
      if (c.parameters) {
        EXPECT_EQ(xls::testing::Cells(*wb, kParameterCells), kParameters) << file;
      }
    }
  }
}

// ---- Cross-check with FreeXL ----------------------------------------------------------------

// Civil date of an Excel serial (1900 system, serials after 1900-02-28).
std::string SerialDate(double serial) {
  using namespace std::chrono;
  const year_month_day d{sys_days{1899y / 12 / 30} + days{static_cast<int>(std::floor(serial))}};
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", static_cast<int>(d.year()),
                static_cast<unsigned>(d.month()), static_cast<unsigned>(d.day()));
  return buf;
}
std::string SerialTime(double serial) {
  const long long secs = std::llround((serial - std::floor(serial)) * 86400.0);
  char buf[96];
  std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", secs / 3600, secs / 60 % 60, secs % 60);
  return buf;
}

// Compares every cell FreeXL reads in our active sheet with ours; returns the number compared,
// or -1 when FreeXL cannot open the file.
int CrossCheck(const std::string& name) {
  const std::string path = Fixture(name);
  // FreeXL refuses mesh_blanks.xlwt.xls, whose shared-string table holds an empty string.
  const xls::testing::FreeXlBook book(path);
  const void* handle = book.h;
  if (handle == nullptr)
    return -1;
  const auto wb = ReadXls(path);
  const auto globals = xls::ParseGlobals(xls::ReadWorkbookStream(xls::testing::ReadFile(path)));
  const auto index = static_cast<unsigned short>(globals.active_sheet);
  EXPECT_EQ(freexl_select_active_worksheet(handle, index), FREEXL_OK) << name;
  const char* sheet_name = nullptr;
  EXPECT_EQ(freexl_get_worksheet_name(handle, index, &sheet_name), FREEXL_OK);
  EXPECT_EQ(std::string(sheet_name ? sheet_name : ""), wb->ActiveSheetName()) << name;
  unsigned int rows = 0;
  unsigned short cols = 0;
  EXPECT_EQ(freexl_worksheet_dimensions(handle, &rows, &cols), FREEXL_OK);
  int compared = 0;
  for (unsigned int r = 0; r < rows; ++r) {
    for (unsigned short c = 0; c < cols; ++c) {
      FreeXL_CellValue v;
      if (freexl_get_cell_value(handle, r, c, &v) != FREEXL_OK || v.type == FREEXL_CELL_NULL)
        continue;
      const CellValue ours = wb->Cell(static_cast<int>(r) + 1, c + 1);
      const std::string where = name + " " + CellName(static_cast<int>(r) + 1, c + 1);
      switch (v.type) {
        case FREEXL_CELL_INT:
          EXPECT_TRUE(ours.kind == CellKind::Number || ours.kind == CellKind::Boolean) << where;
          EXPECT_EQ(ours.number, static_cast<double>(v.value.int_value)) << where;
          break;
        case FREEXL_CELL_DOUBLE:
          EXPECT_EQ(ours.kind, CellKind::Number) << where;
          EXPECT_EQ(Bits(ours.number), Bits(v.value.double_value)) << where;
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
          EXPECT_EQ(ours.kind, CellKind::Number) << where;
          EXPECT_EQ(SerialDate(ours.number), v.value.text_value) << where;
          break;
        case FREEXL_CELL_DATETIME:
          EXPECT_EQ(ours.kind, CellKind::Number) << where;
          EXPECT_EQ(SerialDate(ours.number) + " " + SerialTime(ours.number), v.value.text_value)
              << where;
          break;
        case FREEXL_CELL_TIME:
          EXPECT_EQ(ours.kind, CellKind::Number) << where;
          EXPECT_EQ(SerialTime(ours.number), v.value.text_value) << where;
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
  for (const auto& entry : std::filesystem::directory_iterator(OMBRIX_FIXTURES_DIR)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".xls" || name.rfind("broken_", 0) == 0)
      continue;
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
    EXPECT_NE(why.find(Fixture(name)), std::string::npos) << why;
    EXPECT_NE(why.find("壊れています"), std::string::npos) << why;
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
