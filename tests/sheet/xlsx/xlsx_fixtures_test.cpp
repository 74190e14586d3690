// The workbooks LibreOffice and openpyxl wrote (tests/fixtures) read as their README says.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "cell_value_printer.h"
#include "model/run_error.h"
#include "sheet/xlsx/xlsx_reader.h"

namespace ombrix::sheet::xlsx {
namespace {

using testing::At;

std::string Fixture(const std::string& name) {
  return std::string(OMBRIX_FIXTURES_DIR) + "/" + name;
}

using Cells = std::vector<std::pair<std::string, CellValue>>;

CellValue N(double v) {
  return CellValue::Number(v);
}
CellValue T(const char* s) {
  return CellValue::Text(s);
}
const CellValue kEmpty = CellValue::Empty();

void ExpectCells(const Workbook& book, const Cells& cells, const std::string& file) {
  for (const auto& [ref, value] : cells) {
    EXPECT_EQ(At(book, ref), value) << file << " " << ref;
  }
}

// The parameter block every mesh fixture carries.
Cells ParameterCells() {
  return {{"A13", T("membrane weight")},
          {"B13", N(1)},
          {"A14", T("curvature weight")},
          {"B14", N(1)},
          {"A15", T("data weight")},
          {"B15", N(10)},
          {"A19", T("over-relaxation factor")},
          {"B19", N(1.5)},
          {"A20", T("convergence limit")},
          {"B20", N(1e-06)}};
}

class BothWriters : public ::testing::TestWithParam<const char*> {};
INSTANTIATE_TEST_SUITE_P(Writers, BothWriters, ::testing::Values("lo", "openpyxl"));

TEST_P(BothWriters, MeshSmallHoldsEveryListedCell) {
  const std::string file = std::string("mesh_small.") + GetParam() + ".xlsx";
  const auto book = ReadXlsx(Fixture(file));
  EXPECT_EQ(book->ActiveSheetName(), "mesh");
  ExpectCells(*book,
              {{"A1", T("small mesh 3 x 2")},
               {"E3", T("columns")},
               {"F3", N(3)},
               {"G4", N(0)},
               {"H4", N(10)},
               {"I4", N(20)},
               {"C5", T("rows")},
               {"D5", N(2)},
               {"E6", N(10)},
               {"G6", N(1.5)},
               {"H6", N(2)},
               {"I6", N(3.25)},
               {"E7", N(0)},
               {"G7", N(4)},
               {"H7", N(0)},
               {"I7", N(6)},
               {"A2", kEmpty},
               {"J6", kEmpty},
               {"G8", kEmpty}},
              file);
  ExpectCells(*book, ParameterCells(), file);
}

TEST_P(BothWriters, MeshBlanksReadsEveryKindOfBlankAsEmptyAndZeroAsANumber) {
  const std::string file = std::string("mesh_blanks.") + GetParam() + ".xlsx";
  const auto book = ReadXlsx(Fixture(file));
  ExpectCells(*book,
              {{"H7", kEmpty},
               {"J7", kEmpty},
               {"I8", kEmpty},
               {"J8", kEmpty},
               {"K8", kEmpty},
               {"G9", kEmpty},
               {"K9", kEmpty},
               {"I9", N(0)},
               {"G6", N(5.5)},
               {"I7", N(6.25)},
               {"K7", N(7)},
               {"J9", N(5.5)},
               {"F3", N(5)},
               {"D5", N(4)},
               {"K4", N(20)},
               {"A1", T("mesh with blank nodes")}},
              file);
  ExpectCells(*book, ParameterCells(), file);
}

TEST_P(BothWriters, MeshTextValueKeepsTheText) {
  const std::string file = std::string("mesh_text_value.") + GetParam() + ".xlsx";
  const auto book = ReadXlsx(Fixture(file));
  ExpectCells(*book, {{"H7", T("n/a")}, {"G7", N(2.5)}, {"J8", N(5)}, {"F3", N(4)}}, file);
}

TEST_P(BothWriters, MeshNumericTextStaysText) {
  const std::string file = std::string("mesh_numeric_text.") + GetParam() + ".xlsx";
  const auto book = ReadXlsx(Fixture(file));
  ExpectCells(*book,
              {{"G6", T("7.25")},
               {"I6", T("-3.5")},
               {"H7", T("12")},
               {"I8", T("0.125")},
               {"H4", T("10")},
               {"B19", T("1.5")},
               {"H6", N(8)},
               {"I7", N(9.5)},
               {"H8", N(6.5)}},
              file);
}

TEST_P(BothWriters, MeshCountsHalves) {
  const std::string file = std::string("mesh_counts_halves.") + GetParam() + ".xlsx";
  const auto book = ReadXlsx(Fixture(file));
  ExpectCells(
      *book, {{"F3", N(2.5)}, {"D5", N(3.5)}, {"E10", N(-10)}, {"I10", N(99)}, {"H9", N(8)}}, file);
}

TEST_P(BothWriters, SecondSheetActiveReadsTheActiveSheet) {
  const std::string file = std::string("mesh_second_sheet_active.") + GetParam() + ".xlsx";
  const auto book = ReadXlsx(Fixture(file));
  EXPECT_EQ(book->ActiveSheetName(), "mesh");
  ExpectCells(*book,
              {{"A1", T("the active sheet")},
               {"F3", N(4)},
               {"D5", N(3)},
               {"J4", N(30)},
               {"G6", N(1)},
               {"J8", N(6.5)},
               {"E8", N(0)}},
              file);
}

TEST_P(BothWriters, LabelsAndNotesAreReadAsText) {
  const std::string file = std::string("mesh_labels_notes.") + GetParam() + ".xlsx";
  const auto book = ReadXlsx(Fixture(file));
  ExpectCells(*book,
              {{"A1", T("Survey mesh, site 4 (heights in m)")},
               {"A2", T("prepared by the survey office")},
               {"G2", T("x coordinates ->")},
               {"C6", T("y down E")},
               {"G10", T("remarks: none")},
               {"J12", N(12345)},
               {"B16", T("ignored note")},
               {"A22", T("end of sheet")},
               {"B1", kEmpty},
               {"G6", N(10)},
               {"I8", N(16.5)}},
              file);
  ExpectCells(*book, ParameterCells(), file);
}

TEST_P(BothWriters, DatesAreSerialsAndBooleansAreBooleans) {
  const std::string file = std::string("mesh_dates_booleans.") + GetParam() + ".xlsx";
  const auto book = ReadXlsx(Fixture(file));
  ExpectCells(*book,
              {{"A2", N(44270)},
               {"B2", N(44270.5)},
               {"K6", N(36525)},
               {"A22", CellValue::Boolean(true)},
               {"B22", CellValue::Boolean(false)},
               {"K7", CellValue::Boolean(true)},
               {"G6", N(1)},
               {"I7", N(6)}},
              file);
}

TEST_P(BothWriters, PointsSmall) {
  const std::string file = std::string("points_small.") + GetParam() + ".xlsx";
  const auto book = ReadXlsx(Fixture(file));
  EXPECT_EQ(book->ActiveSheetName(), "points");
  ExpectCells(*book,
              {{"A1", T("two points")},
               {"C2", T("x")},
               {"D2", T("y")},
               {"E2", T("value")},
               {"A3", N(2)},
               {"C3", N(1)},
               {"D3", N(2)},
               {"E3", N(10)},
               {"C4", N(3)},
               {"D4", N(4)},
               {"E4", N(20)}},
              file);
}

TEST_P(BothWriters, Points25HasAHoleAtD9AndAnExtraRow) {
  const std::string file = std::string("points_25.") + GetParam() + ".xlsx";
  const auto book = ReadXlsx(Fixture(file));
  EXPECT_EQ(At(*book, "A3"), N(25));
  EXPECT_EQ(At(*book, "D9"), kEmpty);
  for (int row = 3; row <= 28; ++row) {
    for (const char* col : {"C", "E"}) {
      EXPECT_EQ(At(*book, col + std::to_string(row)).kind, CellKind::Number) << col << row;
    }
  }
}

// round(v, 3) as Python writes it, as a double: the exact decimal text parsed back. Returns
// false when v lies so close to a rounding boundary that a different libm could round the other
// way.
bool RoundedTo3(double v, double* out) {
  char text[64];
  std::snprintf(text, sizeof text, "%.3f", v);
  std::from_chars(text, text + std::char_traits<char>::length(text), *out);
  const double scaled = v * 1000;
  return std::abs(scaled - std::floor(scaled) - 0.5) > 1e-6;
}

TEST_P(BothWriters, Smooth40x30MatchesTheSurfaceFormulaAtEveryNode) {
  const std::string file = std::string("mesh_smooth_40x30.") + GetParam() + ".xlsx";
  const auto book = ReadXlsx(Fixture(file));
  EXPECT_EQ(At(*book, "F3"), N(40));
  EXPECT_EQ(At(*book, "D5"), N(30));
  EXPECT_EQ(At(*book, "G6"), N(114.2));
  EXPECT_EQ(At(*book, "AT35"), N(147.029));
  int checked_exactly = 0;
  for (int i = 1; i <= 30; ++i) {
    const double y = 290 - 10.0 * (i - 1);
    EXPECT_EQ(book->Cell(i + 5, 5), N(y)) << "y of row " << i;
    for (int j = 1; j <= 40; ++j) {
      const double x = 10.0 * (j - 1);
      if (i == 1) {
        EXPECT_EQ(book->Cell(4, j + 6), N(x)) << "x of column " << j;
      }
      const double v = 120 + 35 * std::sin(x / 60) * std::cos(y / 45) + 0.05 * x - 0.02 * y;
      double expected = 0;
      const CellValue got = book->Cell(i + 5, j + 6);
      ASSERT_EQ(got.kind, CellKind::Number) << "node " << i << "," << j;
      if (RoundedTo3(v, &expected)) {
        EXPECT_EQ(got.number, expected) << "node " << i << "," << j;
        ++checked_exactly;
      } else {
        EXPECT_NEAR(got.number, expected, 0.0011) << "node " << i << "," << j;
      }
    }
  }
  EXPECT_GT(checked_exactly, 1190);
}

TEST(LibreOfficeFormulas, CachedResultsAreRead) {
  const std::string file = "mesh_formulas.lo.xlsx";
  const auto book = ReadXlsx(Fixture(file));
  ExpectCells(*book,
              {{"F3", N(3)},
               {"H4", N(10)},
               {"I4", N(20)},
               {"E7", N(0)},
               {"G6", N(2)},
               {"H6", N(4)},
               {"G7", N(3.83333333333333)},
               {"I7", N(1.66666666666667)},
               {"B19", N(1.5)},
               {"B20", N(1e-06)},
               {"K1", T("mesh A")},
               {"K2", CellValue::Error("#DIV/0!")},
               {"K3", CellValue::Boolean(true)},
               {"I6", N(5.5)},
               {"H7", N(3)}},
              file);
}

TEST(BrokenFixtures, MissingSheetPartNamesThePart) {
  try {
    ReadXlsx(Fixture("broken_missing_sheet.xlsx"));
    FAIL() << "no error";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), err::kBadFileFormat);
    EXPECT_NE(e.description().find("broken_missing_sheet.xlsx"), std::string::npos);
    EXPECT_NE(e.description().find("xl/worksheets/sheet1.xml がありません"), std::string::npos)
        << e.description();
  }
}

TEST(BrokenFixtures, ArchiveWithoutWorkbookIsNotAWorkbook) {
  try {
    ReadXlsx(Fixture("broken_not_workbook.xlsx"));
    FAIL() << "no error";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), err::kBadFileFormat);
    EXPECT_EQ(e.description(),
              "ファイル \"" + Fixture("broken_not_workbook.xlsx") +
                  "\" は Excel のブックではありません: xl/workbook.xml がありません");
  }
}

TEST(BrokenFixtures, OleFilesAndTextAreNotZipArchives) {
  for (const char* name : {"mesh_small.lo.xls", "broken_text_renamed.xls", "broken_empty.xls"}) {
    try {
      ReadXlsx(Fixture(name));
      ADD_FAILURE() << name << ": no error";
    } catch (const RunError& e) {
      EXPECT_EQ(e.number(), err::kBadFileFormat) << name;
      EXPECT_NE(e.description().find(name), std::string::npos) << e.description();
    }
  }
}

TEST(BrokenFixtures, MissingFileIsError53) {
  try {
    ReadXlsx(Fixture("no_such_file.xlsx"));
    FAIL() << "no error";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), err::kFileNotFound);
  }
}

}  // namespace
}  // namespace ombrix::sheet::xlsx
