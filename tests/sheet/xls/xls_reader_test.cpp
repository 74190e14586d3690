// The .xls reader on the fixtures written by LibreOffice and xlwt (and their Excel-layout
// rewrites), cross-checked cell by cell against FreeXL, an independent reader.

#include "sheet/xls/xls_reader.h"

#include <freexl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "model/run_error.h"
#include "sheet/xls/biff_workbook.h"
#include "sheet/xls/ole_stream.h"
#include "sheet/xls/xls_test_helpers.h"

namespace ombrix {
// Readable cell values in failure messages.
void PrintTo(const CellValue& v, std::ostream* os) {
  static const char* kinds[] = {"Empty", "Number", "Text", "Boolean", "Error"};
  *os << kinds[static_cast<int>(v.kind)] << "(" << v.number << ", \"" << v.text << "\")";
}
}  // namespace ombrix

namespace ombrix::sheet {
namespace {

using xls::testing::Fixture;

std::unique_ptr<SheetWorkbook> Read(const std::string& name) {
  return ReadXls(Fixture(name));
}

// Asserts the cell holds exactly the number (bit for bit).
void ExpectNumber(const Workbook& wb, const char* cell, int row, int col, double v) {
  const CellValue c = wb.Cell(row, col);
  EXPECT_EQ(c.kind, CellKind::Number) << cell;
  std::uint64_t a, b;
  std::memcpy(&a, &c.number, 8);
  std::memcpy(&b, &v, 8);
  EXPECT_EQ(a, b) << cell << ": " << c.number << " != " << v;
}
void ExpectText(const Workbook& wb, const char* cell, int row, int col, const std::string& t) {
  EXPECT_EQ(wb.Cell(row, col), CellValue::Text(t)) << cell;
}
void ExpectEmpty(const Workbook& wb, const char* cell, int row, int col) {
  EXPECT_EQ(wb.Cell(row, col).kind, CellKind::Empty) << cell;
}

// The mesh parameters every mesh fixture holds.
void ExpectParameters(const Workbook& wb) {
  ExpectText(wb, "A13", 13, 1, "membrane weight");
  ExpectNumber(wb, "B13", 13, 2, 1.0);
  ExpectText(wb, "A14", 14, 1, "curvature weight");
  ExpectNumber(wb, "B14", 14, 2, 1.0);
  ExpectText(wb, "A15", 15, 1, "data weight");
  ExpectNumber(wb, "B15", 15, 2, 10.0);
  ExpectText(wb, "A19", 19, 1, "over-relaxation factor");
  ExpectText(wb, "A20", 20, 1, "convergence limit");
  ExpectNumber(wb, "B20", 20, 2, 1e-06);
}

class BothWriters : public ::testing::TestWithParam<const char*> {
 protected:
  std::string File(const std::string& base) const { return base + "." + GetParam() + ".xls"; }
};

TEST_P(BothWriters, MeshSmall) {
  const auto wb = Read(File("mesh_small"));
  EXPECT_EQ(wb->ActiveSheetName(), "mesh");
  ExpectText(*wb, "A1", 1, 1, "small mesh 3 x 2");
  ExpectText(*wb, "E3", 3, 5, "columns");
  ExpectNumber(*wb, "F3", 3, 6, 3.0);
  ExpectNumber(*wb, "G4", 4, 7, 0.0);
  ExpectNumber(*wb, "H4", 4, 8, 10.0);
  ExpectNumber(*wb, "I4", 4, 9, 20.0);
  ExpectText(*wb, "C5", 5, 3, "rows");
  ExpectNumber(*wb, "D5", 5, 4, 2.0);
  ExpectNumber(*wb, "E6", 6, 5, 10.0);
  ExpectNumber(*wb, "G6", 6, 7, 1.5);
  ExpectNumber(*wb, "H6", 6, 8, 2.0);
  ExpectNumber(*wb, "I6", 6, 9, 3.25);
  ExpectNumber(*wb, "E7", 7, 5, 0.0);
  ExpectNumber(*wb, "G7", 7, 7, 4.0);
  ExpectNumber(*wb, "H7", 7, 8, 0.0);
  ExpectNumber(*wb, "I7", 7, 9, 6.0);
  ExpectNumber(*wb, "B19", 19, 2, 1.5);
  ExpectParameters(*wb);
  ExpectEmpty(*wb, "B1", 1, 2);
  ExpectEmpty(*wb, "J7", 7, 10);
}

TEST_P(BothWriters, MeshBlanks) {
  const auto wb = Read(File("mesh_blanks"));
  ExpectText(*wb, "A1", 1, 1, "mesh with blank nodes");
  ExpectNumber(*wb, "F3", 3, 6, 5.0);
  ExpectNumber(*wb, "K4", 4, 11, 20.0);
  ExpectNumber(*wb, "D5", 5, 4, 4.0);
  ExpectNumber(*wb, "G6", 6, 7, 5.5);
  ExpectNumber(*wb, "K6", 6, 11, 7.5);
  ExpectNumber(*wb, "G7", 7, 7, 5.0);
  ExpectEmpty(*wb, "H7", 7, 8);
  ExpectNumber(*wb, "I7", 7, 9, 6.25);
  ExpectEmpty(*wb, "J7", 7, 10);  // empty text
  ExpectNumber(*wb, "K7", 7, 11, 7.0);
  ExpectNumber(*wb, "G8", 8, 7, 4.5);
  ExpectNumber(*wb, "H8", 8, 8, 5.0);
  ExpectEmpty(*wb, "I8", 8, 9);  // yellow fill, no value
  ExpectEmpty(*wb, "J8", 8, 10);
  ExpectEmpty(*wb, "K8", 8, 11);
  ExpectNumber(*wb, "E9", 9, 5, 0.0);
  ExpectEmpty(*wb, "G9", 9, 7);
  ExpectNumber(*wb, "H9", 9, 8, 4.5);
  ExpectNumber(*wb, "I9", 9, 9, 0.0);
  ExpectNumber(*wb, "J9", 9, 10, 5.5);
  ExpectEmpty(*wb, "K9", 9, 11);
  ExpectNumber(*wb, "B19", 19, 2, 1.5);
  ExpectParameters(*wb);
}

TEST_P(BothWriters, MeshTextValue) {
  const auto wb = Read(File("mesh_text_value"));
  ExpectText(*wb, "A1", 1, 1, "text in a value cell");
  ExpectText(*wb, "H7", 7, 8, "n/a");
  ExpectNumber(*wb, "G7", 7, 7, 2.5);
  ExpectNumber(*wb, "I7", 7, 9, 4.5);
  ExpectNumber(*wb, "J8", 8, 10, 5.0);
  ExpectParameters(*wb);
}

TEST_P(BothWriters, MeshNumericText) {
  const auto wb = Read(File("mesh_numeric_text"));
  ExpectText(*wb, "G6", 6, 7, "7.25");
  ExpectText(*wb, "I6", 6, 9, "-3.5");
  ExpectText(*wb, "H7", 7, 8, "12");
  ExpectText(*wb, "I8", 8, 9, "0.125");
  ExpectText(*wb, "H4", 4, 8, "10");
  ExpectText(*wb, "B19", 19, 2, "1.5");
  ExpectNumber(*wb, "H6", 6, 8, 8.0);
  ExpectNumber(*wb, "I7", 7, 9, 9.5);
  ExpectNumber(*wb, "H8", 8, 8, 6.5);
  ExpectParameters(*wb);
}

TEST_P(BothWriters, MeshCountsHalves) {
  const auto wb = Read(File("mesh_counts_halves"));
  ExpectNumber(*wb, "F3", 3, 6, 2.5);
  ExpectNumber(*wb, "D5", 5, 4, 3.5);
  ExpectNumber(*wb, "E10", 10, 5, -10.0);
  ExpectNumber(*wb, "H9", 9, 8, 8.0);
  ExpectNumber(*wb, "I10", 10, 9, 99.0);
  ExpectParameters(*wb);
}

TEST_P(BothWriters, MeshSmooth40x30) {
  const auto wb = Read(File("mesh_smooth_40x30"));
  ExpectNumber(*wb, "F3", 3, 6, 40.0);
  ExpectNumber(*wb, "D5", 5, 4, 30.0);
  for (int j = 1; j <= 40; ++j) {
    ExpectNumber(*wb, "x", 4, 6 + j, 10.0 * (j - 1));
  }
  for (int i = 1; i <= 30; ++i) {
    ExpectNumber(*wb, "y", 5 + i, 5, 290.0 - 10.0 * (i - 1));
  }
  ExpectNumber(*wb, "G6", 6, 7, 114.2);
  ExpectNumber(*wb, "AT35", 35, 46, 147.029);
  for (int i = 1; i <= 30; ++i) {
    for (int j = 1; j <= 40; ++j) {
      EXPECT_EQ(wb->Cell(i + 5, j + 6).kind, CellKind::Number) << CellName(i + 5, j + 6);
    }
  }
}

TEST_P(BothWriters, SecondSheetActive) {
  const auto wb = Read(File("mesh_second_sheet_active"));
  EXPECT_EQ(wb->ActiveSheetName(), "mesh");
  ExpectText(*wb, "A1", 1, 1, "the active sheet");
  ExpectNumber(*wb, "F3", 3, 6, 4.0);
  ExpectNumber(*wb, "J8", 8, 10, 6.5);
  ExpectNumber(*wb, "G6", 6, 7, 1.0);
  ExpectParameters(*wb);
}

TEST_P(BothWriters, LabelsNotes) {
  const auto wb = Read(File("mesh_labels_notes"));
  ExpectText(*wb, "A1", 1, 1, "Survey mesh, site 4 (heights in m)");
  ExpectText(*wb, "A2", 2, 1, "prepared by the survey office");
  ExpectText(*wb, "G2", 2, 7, "x coordinates ->");
  ExpectText(*wb, "C6", 6, 3, "y down E");
  ExpectText(*wb, "G10", 10, 7, "remarks: none");
  ExpectNumber(*wb, "J12", 12, 10, 12345.0);
  ExpectText(*wb, "B16", 16, 2, "ignored note");
  ExpectText(*wb, "A22", 22, 1, "end of sheet");
  ExpectNumber(*wb, "I8", 8, 9, 16.5);
  ExpectEmpty(*wb, "B1", 1, 2);  // merged into A1
  ExpectParameters(*wb);
}

TEST_P(BothWriters, DatesBooleans) {
  const auto wb = Read(File("mesh_dates_booleans"));
  ExpectNumber(*wb, "A2", 2, 1, 44270.0);
  ExpectNumber(*wb, "B2", 2, 2, 44270.5);
  ExpectNumber(*wb, "K6", 6, 11, 36525.0);
  EXPECT_EQ(wb->Cell(7, 11), CellValue::Boolean(true)) << "K7";
  EXPECT_EQ(wb->Cell(22, 1), CellValue::Boolean(true)) << "A22";
  EXPECT_EQ(wb->Cell(22, 2), CellValue::Boolean(false)) << "B22";
  ExpectNumber(*wb, "I7", 7, 9, 6.0);
  ExpectParameters(*wb);
}

TEST_P(BothWriters, PointsSmall) {
  const auto wb = Read(File("points_small"));
  EXPECT_EQ(wb->ActiveSheetName(), "points");
  ExpectText(*wb, "A1", 1, 1, "two points");
  ExpectText(*wb, "C2", 2, 3, "x");
  ExpectText(*wb, "E2", 2, 5, "value");
  ExpectNumber(*wb, "A3", 3, 1, 2.0);
  ExpectNumber(*wb, "C3", 3, 3, 1.0);
  ExpectNumber(*wb, "D3", 3, 4, 2.0);
  ExpectNumber(*wb, "E3", 3, 5, 10.0);
  ExpectNumber(*wb, "C4", 4, 3, 3.0);
  ExpectNumber(*wb, "E4", 4, 5, 20.0);
}

TEST_P(BothWriters, Points25) {
  const auto wb = Read(File("points_25"));
  ExpectNumber(*wb, "A3", 3, 1, 25.0);
  ExpectEmpty(*wb, "D9", 9, 4);
  for (int r = 3; r <= 28; ++r) {
    EXPECT_EQ(wb->Cell(r, 3).kind, CellKind::Number) << r;
  }
}

TEST_P(BothWriters, PointsEmptyCount) {
  const auto wb = Read(File("points_empty_count"));
  ExpectText(*wb, "A1", 1, 1, "no count");
  ExpectEmpty(*wb, "A3", 3, 1);
  ExpectNumber(*wb, "C3", 3, 3, 5.0);
  ExpectNumber(*wb, "E3", 3, 5, 5.0);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, BothWriters, ::testing::Values("lo", "xlwt"));

TEST(XlsReaderFixtures, FormulasCachedResults) {
  const auto wb = Read("mesh_formulas.lo.xls");
  ExpectNumber(*wb, "F3", 3, 6, 3.0);
  ExpectNumber(*wb, "H4", 4, 8, 10.0);
  ExpectNumber(*wb, "I4", 4, 9, 20.0);
  ExpectNumber(*wb, "E7", 7, 5, 0.0);
  ExpectNumber(*wb, "G6", 6, 7, 2.0);
  ExpectNumber(*wb, "H6", 6, 8, 4.0);
  ExpectNumber(*wb, "I6", 6, 9, 5.5);
  ExpectNumber(*wb, "G7", 7, 7, 3.8333333333333335);
  ExpectNumber(*wb, "H7", 7, 8, 3.0);
  ExpectNumber(*wb, "I7", 7, 9, 1.6666666666666665);
  ExpectNumber(*wb, "B19", 19, 2, 1.5);
  ExpectNumber(*wb, "B20", 20, 2, 1e-06);
  ExpectText(*wb, "K1", 1, 11, "mesh A");
  EXPECT_EQ(wb->Cell(2, 11), CellValue::Error("#DIV/0!"));
  EXPECT_EQ(wb->Cell(3, 11), CellValue::Boolean(true));
}

// The node values of rows400: i + j where i*j is a multiple of 5, else a rounded wave.
class ExcelLayout : public ::testing::TestWithParam<const char*> {};

TEST_P(ExcelLayout, Rows400AllNumbers) {
  const auto wb = Read(std::string("rows400.") + GetParam() + ".xls");
  for (int r = 1; r <= 400; ++r) {
    for (int c = 1; c <= 50; ++c) {
      ASSERT_EQ(wb->Cell(r, c).kind, CellKind::Number) << CellName(r, c);
    }
  }
  EXPECT_EQ(wb->Cell(401, 1).kind, CellKind::Empty);
  EXPECT_EQ(wb->Cell(1, 51).kind, CellKind::Empty);
  ExpectNumber(*wb, "F3", 3, 6, 44.0);
  ExpectNumber(*wb, "D5", 5, 4, 395.0);
  for (int j = 1; j <= 44; ++j) {
    ExpectNumber(*wb, "x", 4, 6 + j, 2.0 * (j - 1));
  }
  for (int i = 1; i <= 395; ++i) {
    ExpectNumber(*wb, "y", 5 + i, 5, 788.0 - 2.0 * (i - 1));
    for (int j = 1; j <= 44; ++j) {
      if ((i * j) % 5 == 0) {
        ExpectNumber(*wb, "node", 5 + i, 6 + j, i + j);
      } else {
        const double expected =
            std::round((40 * std::sin(i / 37.0) + 25 * std::cos(j / 9.0)) * 100) / 100;
        EXPECT_NEAR(wb->Cell(5 + i, 6 + j).number, expected, 1e-9) << CellName(5 + i, 6 + j);
      }
    }
  }
  ExpectNumber(*wb, "B13", 13, 2, 1.0);
  ExpectNumber(*wb, "B14", 14, 2, 1.0);
  ExpectNumber(*wb, "B15", 15, 2, 10.0);
  ExpectNumber(*wb, "B19", 19, 2, 1.5);
  ExpectNumber(*wb, "B20", 20, 2, 1e-06);
}

TEST_P(ExcelLayout, SstContinueMesh) {
  const auto wb = Read(std::string("sst_continue.") + GetParam() + ".xls");
  EXPECT_EQ(wb->Cell(1, 1).kind, CellKind::Text);
  ExpectText(*wb, "H6", 6, 8, "2.5");
  ExpectText(*wb, "I7", 7, 9, "4.75");
  ExpectText(*wb, "K8", 8, 11, "7.5");
  const double nodes[4][6] = {
      {1, 2.5, 3, 4, 5, 6}, {2, 3, 4.75, 5, 6, 7}, {3, 4, 5, 6, 7.5, 8}, {4, 5, 6, 7, 8, 9}};
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 6; ++j) {
      const CellValue c = wb->Cell(6 + i, 7 + j);
      if (c.kind == CellKind::Text) {
        EXPECT_EQ(std::stod(c.text), nodes[i][j]);
      } else {
        ExpectNumber(*wb, "node", 6 + i, 7 + j, nodes[i][j]);
      }
    }
  }
  for (int j = 0; j < 6; ++j) {
    ExpectNumber(*wb, "x", 4, 7 + j, 10.0 * j);
  }
  for (int r = 1; r <= 900; ++r) {
    for (int c = 13; c <= 22; ++c) {
      ASSERT_EQ(wb->Cell(r, c).kind, CellKind::Text) << CellName(r, c);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, ExcelLayout, ::testing::Values("lo", "excel-layout"));

TEST(XlsReaderFixtures, SstContinueBothLayoutsAgree) {
  const auto lo = Read("sst_continue.lo.xls");
  const auto excel = Read("sst_continue.excel-layout.xls");
  for (int r = 1; r <= 905; ++r) {
    for (int c = 1; c <= 24; ++c) {
      ASSERT_EQ(lo->Cell(r, c), excel->Cell(r, c)) << CellName(r, c);
    }
  }
}

// ---- Cross-check with FreeXL ----------------------------------------------------------------

// Civil date of an Excel serial (1900 system, serials after 1900-02-28).
std::string SerialDate(double serial) {
  long long z = static_cast<long long>(std::floor(serial)) - 25569 + 719468;  // days from 1970
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const long long d = doy - (153 * mp + 2) / 5 + 1;
  const long long m = mp < 10 ? mp + 3 : mp - 9;
  const long long y = yoe + era * 400 + (m <= 2);
  char buf[96];
  std::snprintf(buf, sizeof buf, "%04lld-%02lld-%02lld", y, m, d);
  return buf;
}
std::string SerialTime(double serial) {
  const long long secs = std::llround((serial - std::floor(serial)) * 86400.0);
  char buf[96];
  std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", secs / 3600, secs / 60 % 60, secs % 60);
  return buf;
}

struct CrossCheckCounts {
  int compared = 0;
};

// Compares every cell FreeXL reads in our active sheet with ours; returns false when FreeXL
// cannot open the file.
bool CrossCheck(const std::string& name, CrossCheckCounts& counts) {
  const std::string path = Fixture(name);
  const void* handle = nullptr;
  // FreeXL 1.0.6 answers OK with a null handle for some files it refuses (mesh_blanks.xlwt.xls,
  // whose shared-string table holds an empty string).
  if (freexl_open(path.c_str(), &handle) != FREEXL_OK || handle == nullptr) {
    if (handle != nullptr)
      freexl_close(handle);
    return false;
  }
  const auto wb = ReadXls(path);
  const auto bytes = xls::testing::ReadFile(path);
  const auto stream = xls::ReadWorkbookStream(bytes);
  const auto globals = xls::ParseGlobals(stream);
  const auto index = static_cast<unsigned short>(globals.active_sheet);
  EXPECT_EQ(freexl_select_active_worksheet(handle, index), FREEXL_OK) << name;
  const char* sheet_name = nullptr;
  EXPECT_EQ(freexl_get_worksheet_name(handle, index, &sheet_name), FREEXL_OK);
  EXPECT_EQ(std::string(sheet_name ? sheet_name : ""), wb->ActiveSheetName()) << name;
  unsigned int rows = 0;
  unsigned short cols = 0;
  EXPECT_EQ(freexl_worksheet_dimensions(handle, &rows, &cols), FREEXL_OK);
  for (unsigned int r = 0; r < rows; ++r) {
    for (unsigned short c = 0; c < cols; ++c) {
      FreeXL_CellValue v;
      if (freexl_get_cell_value(handle, r, c, &v) != FREEXL_OK)
        continue;
      const CellValue ours = wb->Cell(static_cast<int>(r) + 1, c + 1);
      const std::string where = name + " " + CellName(static_cast<int>(r) + 1, c + 1);
      switch (v.type) {
        case FREEXL_CELL_NULL:
          continue;
        case FREEXL_CELL_INT:
          EXPECT_TRUE(ours.kind == CellKind::Number || ours.kind == CellKind::Boolean) << where;
          EXPECT_EQ(ours.number, static_cast<double>(v.value.int_value)) << where;
          break;
        case FREEXL_CELL_DOUBLE: {
          EXPECT_EQ(ours.kind, CellKind::Number) << where;
          std::uint64_t a, b;
          std::memcpy(&a, &ours.number, 8);
          std::memcpy(&b, &v.value.double_value, 8);
          EXPECT_EQ(a, b) << where << ": " << ours.number << " vs " << v.value.double_value;
          break;
        }
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
      ++counts.compared;
    }
  }
  freexl_close(handle);
  return true;
}

TEST(XlsReaderFreeXl, EveryFixtureMatchesFreeXl) {
  int opened = 0;
  for (const auto& entry : std::filesystem::directory_iterator(OMBRIX_FIXTURES_DIR)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".xls" || name.rfind("broken_", 0) == 0)
      continue;
    SCOPED_TRACE(name);
    CrossCheckCounts counts;
    if (CrossCheck(name, counts)) {
      ++opened;
      EXPECT_GT(counts.compared, 0) << name << ": FreeXL opened it but read no cell";
      std::printf("%-40s %6d cells compared with FreeXL\n", name.c_str(), counts.compared);
    } else {
      std::printf("%-40s FreeXL cannot open it\n", name.c_str());
    }
  }
  EXPECT_GE(opened, 20);
}

// ---- Broken fixtures -------------------------------------------------------------------------

void ExpectBroken(const std::string& name) {
  const std::string path = Fixture(name);
  try {
    ReadXls(path);
    FAIL() << name << " read without error";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), 321) << e.description();
    EXPECT_NE(e.description().find(path), std::string::npos) << e.description();
    EXPECT_NE(e.description().find("壊れています"), std::string::npos) << e.description();
    std::printf("%s: %s\n", name.c_str(), e.description().c_str());
  }
}

TEST(XlsReaderBroken, Truncated) {
  ExpectBroken("broken_truncated.xls");
}
TEST(XlsReaderBroken, Empty) {
  ExpectBroken("broken_empty.xls");
}
TEST(XlsReaderBroken, TextRenamed) {
  ExpectBroken("broken_text_renamed.xls");
}
TEST(XlsReaderBroken, XlsxRenamedIsNotXls) {
  ExpectBroken("mesh_small.lo.xlsx");
}

TEST(XlsReaderBroken, MissingFileIsError53) {
  try {
    ReadXls(Fixture("no_such_file.xls"));
    FAIL();
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), 53);
  }
}

}  // namespace
}  // namespace ombrix::sheet
