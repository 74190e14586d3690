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
const Cells kParameters = {{"A13", T("membrane weight")},
                           {"B13", N(1)},
                           {"B15", N(10)},
                           {"A19", T("over-relaxation factor")},
                           {"A20", T("convergence limit")},
                           {"B20", N(1e-06)}};

class BothWriters : public ::testing::TestWithParam<const char*> {};
INSTANTIATE_TEST_SUITE_P(Writers, BothWriters, ::testing::Values("lo", "openpyxl"));

struct FixtureCase {
  const char* base;
  const char* sheet;  // expected active sheet, or nullptr
  bool parameters;
  Cells cells;
};

TEST_P(BothWriters, FixturesHoldTheListedCells) {
  const std::vector<FixtureCase> cases = {
      {"mesh_small",
       "mesh",
       true,
       {{"A1", T("small mesh 3 x 2")},
        {"F3", N(3)},
        {"I6", N(3.25)},
        {"H7", N(0)},
        {"A2", kEmpty},
        {"J6", kEmpty}}},
      {"mesh_blanks",
       nullptr,
       true,
       {{"H7", kEmpty},
        {"J7", kEmpty},
        {"I8", kEmpty},
        {"K9", kEmpty},
        {"I9", N(0)},
        {"G6", N(5.5)}}},
      {"mesh_text_value", nullptr, false, {{"H7", T("n/a")}, {"G7", N(2.5)}}},
      {"mesh_numeric_text",
       nullptr,
       false,
       {{"G6", T("7.25")}, {"I6", T("-3.5")}, {"B19", T("1.5")}, {"H6", N(8)}}},
      {"mesh_counts_halves", nullptr, false, {{"F3", N(2.5)}, {"D5", N(3.5)}, {"E10", N(-10)}}},
      {"mesh_second_sheet_active",
       "mesh",
       false,
       {{"A1", T("the active sheet")}, {"F3", N(4)}, {"J8", N(6.5)}}},
      {"mesh_labels_notes",
       nullptr,
       true,
       {{"A1", T("Survey mesh, site 4 (heights in m)")},
        {"B1", kEmpty},
        {"J12", N(12345)},
        {"A22", T("end of sheet")}}},
      {"mesh_dates_booleans",
       nullptr,
       false,
       {{"B2", N(44270.5)}, {"K7", CellValue::Boolean(true)}, {"B22", CellValue::Boolean(false)}}},
      {"points_small", "points", false, {{"A1", T("two points")}, {"D2", T("y")}, {"E4", N(20)}}},
      {"points_25", nullptr, false, {{"A3", N(25)}, {"D9", kEmpty}}},
  };
  for (const FixtureCase& c : cases) {
    const std::string file = std::string(c.base) + "." + GetParam() + ".xlsx";
    const auto book = ReadXlsx(Fixture(file));
    if (c.sheet != nullptr) {
      EXPECT_EQ(book->ActiveSheetName(), c.sheet) << file;
    }
    ExpectCells(*book, c.cells, file);
    if (c.parameters) {
      ExpectCells(*book, kParameters, file);
    }
  }
  const auto points = ReadXlsx(Fixture(std::string("points_25.") + GetParam() + ".xlsx"));
  for (int row = 3; row <= 28; ++row) {
    EXPECT_EQ(points->Cell(row, 3).kind, CellKind::Number) << row;
    EXPECT_EQ(points->Cell(row, 5).kind, CellKind::Number) << row;
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
              {{"I6", N(5.5)},
               {"G7", N(3.83333333333333)},
               {"I7", N(1.66666666666667)},
               {"K1", T("mesh A")},
               {"K2", CellValue::Error("#DIV/0!")},
               {"K3", CellValue::Boolean(true)}},
              file);
}

// Runs `read`, expects an error `number` and returns its description.
template <typename F>
std::string ErrorOf(F read, int number) {
  try {
    read();
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), number) << e.description();
    return e.description();
  }
  ADD_FAILURE() << "no error";
  return {};
}

TEST(BrokenFixtures, ErrorsNameTheFileAndWhatIsMissing) {
  const std::string missing =
      ErrorOf([] { ReadXlsx(Fixture("broken_missing_sheet.xlsx")); }, err::kBadFileFormat);
  EXPECT_NE(missing.find("broken_missing_sheet.xlsx"), std::string::npos) << missing;
  EXPECT_NE(missing.find("xl/worksheets/sheet1.xml がありません"), std::string::npos) << missing;
  EXPECT_EQ(ErrorOf([] { ReadXlsx(Fixture("broken_not_workbook.xlsx")); }, err::kBadFileFormat),
            "ファイル \"" + Fixture("broken_not_workbook.xlsx") +
                "\" は Excel のブックではありません: xl/workbook.xml がありません");
  for (const char* name : {"mesh_small.lo.xls", "broken_text_renamed.xls", "broken_empty.xls"}) {
    const std::string d = ErrorOf([&] { ReadXlsx(Fixture(name)); }, err::kBadFileFormat);
    EXPECT_NE(d.find(name), std::string::npos) << d;
  }
  ErrorOf([] { ReadXlsx(Fixture("no_such_file.xlsx")); }, err::kFileNotFound);
}

}  // namespace
}  // namespace ombrix::sheet::xlsx
