// Reading .xlsx workbooks: ReadXlsx end to end on archives built here, on the fixtures
// LibreOffice and openpyxl wrote and on the fuzz corpus.

#include "sheet/xlsx/xlsx_reader.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "cell_value_printer.h"
#include "error_expect.h"
#include "test_archive.h"
#include "xlsx_test_support.h"

namespace ombrix::sheet::xlsx::testing {
namespace {

TEST(XlsxReaderMarks, AskedCellsLearnTheirFillThroughTheirFormat) {
  // Format 0 (the format of a cell without `s`) is the grey one here, format 1 is plain.
  std::vector<TestEntry> entries = OneSheetWorkbook(
      R"(<row r="2"><c r="A2" s="1"><v>1</v></c><c r="B2"/><c r="C2" s="x"><v>3</v></c>)"
      R"(<c r="D2" s="7"><v>4</v></c><c s=" 0 "><v>5</v></c></row>)");
  entries.back().data = WorkbookRels(Rel("rId1", "worksheet", "worksheets/sheet1.xml") +
                                     Rel("rId2", "styles", "styles.xml"));
  entries.push_back(
      {"xl/styles.xml",
       std::string(R"(<styleSheet xmlns=")") + kMainNs +
           R"("><fills><fill><patternFill patternType="none"/></fill>)"
           R"(<fill><patternFill patternType="gray125"/></fill>)"
           R"(<fill><patternFill patternType="solid"><fgColor indexed="23"/></patternFill></fill>)"
           R"(</fills><cellXfs><xf fillId="2"/><xf fillId="0"/></cellXfs></styleSheet>)"});
  MarkQuery marks({{2, 1}, {2, 2}, {2, 3}, {2, 4}, {2, 5}, {9, 26}});
  const auto book = ReadXlsxBytes(BuildZip(entries), "crafted.xlsx", &marks);
  EXPECT_EQ(book->Cell(2, 5), CellValue::Number(5));
  // Plain; grey without a value; `s` not a number; beyond the formats; grey at a position
  // counted on from D2; a cell the sheet lacks.
  const bool expected[] = {false, true, false, false, true, false};
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(marks.marked(i), expected[i]) << i;
  }
}

// One policy for every part read: a document type is refused, naming the part, before any
// entity it declares could be used.
TEST(XlsxReaderHostile, EveryPartReadRefusesADocumentType) {
  for (const char* part : {"_rels/.rels", "xl/workbook.xml", "xl/_rels/workbook.xml.rels",
                           "xl/worksheets/sheet1.xml", "xl/sharedStrings.xml"}) {
    auto entries = OneSheetWorkbook(R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)",
                                    std::string(R"(<?xml version="1.0"?><sst xmlns=")") + kMainNs +
                                        R"("><si><t>x</t></si></sst>)");
    for (TestEntry& e : entries) {
      if (e.name == part) {
        const std::size_t root = e.data.find('<', e.data.find("?>") + 1);
        e.data.insert(root, "<!DOCTYPE x>");
      }
    }
    const std::string why = Error321([&] { ReadXlsxBytes(BuildZip(entries), "crafted.xlsx"); });
    EXPECT_TRUE(Contains(why, part)) << why;
    EXPECT_TRUE(Contains(why, "DOCTYPE")) << why;
  }
}

// A sheet may point into a shared-string table the package does not have: refused, not read.
TEST(XlsxReaderHostile, ASharedStringWithoutATableIsRefused) {
  const auto entries = OneSheetWorkbook(R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)");
  const std::string why = Error321([&] { ReadXlsxBytes(BuildZip(entries), "crafted.xlsx"); });
  EXPECT_TRUE(Contains(why, "セル A1 が共有文字列 0 番を指していますが、共有文字列は 0 個")) << why;
}

// The workbooks LibreOffice and openpyxl wrote (tests/fixtures) read as their README says.

std::string Fixture(const std::string& name) {
  return std::string(OMBRIX_FIXTURES_DIR) + "/" + name;
}

// Reads `file` and checks its active sheet (unless null) and the cells `refs`.
void ExpectFixture(const std::string& file, const char* sheet, const std::vector<std::string>& refs,
                   const std::vector<CellValue>& values) {
  const auto book = ReadXlsx(Fixture(file));
  if (sheet != nullptr) {
    EXPECT_EQ(book->ActiveSheetName(), sheet) << file;
  }
  EXPECT_EQ(CellsAt(*book, refs), values) << file;
}

class BothWriters : public ::testing::TestWithParam<const char*> {};
INSTANTIATE_TEST_SUITE_P(Writers, BothWriters, ::testing::Values("lo", "openpyxl"));

// The numbers of the mesh and points fixtures are pinned by the mesh and points commands'
// tests; these are the texts, booleans and dates the commands never print.
TEST_P(BothWriters, FixturesHoldTheListedCells) {
  const std::string w = std::string(".") + GetParam() + ".xlsx";
  ExpectFixture("mesh_numeric_text" + w, nullptr, {"G6", "I6", "B19", "H6"},
                {T("7.25"), T("-3.5"), T("1.5"), N(8)});
  ExpectFixture("mesh_second_sheet_active" + w, "mesh", {"A1"}, {T("the active sheet")});
  ExpectFixture("mesh_labels_notes" + w, nullptr, {"A1", "B1", "J12", "A22"},
                {T("Survey mesh, site 4 (heights in m)"), kEmpty, N(12345), T("end of sheet")});
  ExpectFixture("mesh_dates_booleans" + w, nullptr, {"B2", "K7", "B22"},
                {N(44270.5), CellValue::Boolean(true), CellValue::Boolean(false)});
  ExpectFixture("points_small" + w, "points", {"A1", "D2"}, {T("two points"), T("y")});
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
  ExpectFixture("mesh_formulas.lo.xlsx", nullptr, {"I6", "G7", "I7", "K1", "K2", "K3"},
                {N(5.5), N(3.83333333333333), N(1.66666666666667), T("mesh A"),
                 CellValue::Error("#DIV/0!"), CellValue::Boolean(true)});
}

TEST(BrokenFixtures, ErrorsNameTheFileAndWhatIsMissing) {
  const std::string missing = Error321([] { ReadXlsx(Fixture("broken_missing_sheet.xlsx")); });
  EXPECT_NE(missing.find("broken_missing_sheet.xlsx"), std::string::npos) << missing;
  EXPECT_NE(missing.find("xl/worksheets/sheet1.xml がありません"), std::string::npos) << missing;
  EXPECT_EQ(Error321([] { ReadXlsx(Fixture("broken_not_workbook.xlsx")); }),
            "ファイル \"" + Fixture("broken_not_workbook.xlsx") +
                "\" は Excel のブックではありません: xl/workbook.xml がありません");
  for (const char* name : {"mesh_small.lo.xls", "broken_text_renamed.xls", "broken_empty.xls"}) {
    const std::string d = Error321([&] { ReadXlsx(Fixture(name)); });
    EXPECT_NE(d.find(name), std::string::npos) << d;
  }
  try {
    ReadXlsx(Fixture("no_such_file.xlsx"));
    ADD_FAILURE() << "no error";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), err::kFileNotFound) << e.description();
  }
}

// Every input the fuzzer once broke the reader with (tests/fixtures/fuzz/xlsx) now reads or
// fails with error 321, never anything else.

TEST(XlsxFuzzCorpus, EveryKeptInputReadsOrFailsWith321) {
  const std::filesystem::path folder = std::filesystem::path(OMBRIX_FIXTURES_DIR) / "fuzz" / "xlsx";
  ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.path().filename() == "README.md") {
      continue;
    }
    ++files;
    const auto bytes = ReadFileBytes(entry.path());
    try {
      ReadXlsxBytes(bytes, entry.path().string());
    } catch (const RunError& e) {
      EXPECT_EQ(e.number(), err::kBadFileFormat) << entry.path() << ": " << e.description();
    }
  }
  EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace ombrix::sheet::xlsx::testing
