// Reading .xlsx workbooks: ReadXlsx end to end on archives built here and on the fixtures
// LibreOffice and openpyxl wrote, the fuzz corpus, and the sheet cells and shared strings the
// reader is made of.

#include "sheet/xlsx/xlsx_reader.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "cell_value_printer.h"
#include "error_expect.h"
#include "model/run_error.h"
#include "sheet/xlsx/shared_strings.h"
#include "sheet/xlsx/sheet_cells.h"
#include "test_archive.h"

namespace ombrix::sheet::xlsx {
namespace {

// ReadXlsx / ReadXlsxBytes end to end on archives built here: what real writers vary (prefixes,
// rich shared strings) and what an attacker or a damaged disk produces (entities, truncation).

using testing::At;
using testing::BuildZip;
using testing::Contains;
using testing::Error321;
using testing::OneSheetWorkbook;
using testing::SheetXml;
using testing::TestEntry;

std::unique_ptr<SheetWorkbook> Read(const std::vector<TestEntry>& entries) {
  return ReadXlsxBytes(BuildZip(entries), "crafted.xlsx");
}

const char* kSstOpen =
    R"(<?xml version="1.0"?><sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)";

TEST(XlsxReaderStrings, RichRunsPhoneticRunsAndSpacesInSharedStrings) {
  const auto book = Read(OneSheetWorkbook(
      R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c>)"
      R"(<c r="C1" t="s"><v>2</v></c><c r="D1" t="s"><v>3</v></c></row>)",
      std::string(kSstOpen) +
          R"(<si><r><rPr><b/></rPr><t>測点</t></r><r><t xml:space="preserve"> 4 </t></r>)"
          R"(<rPh sb="0" eb="2"><t>ソクテン</t></rPh></si>)"
          R"(<si><t xml:space="preserve">   </t></si><si><t>x_x0009_y</t></si><si><t></t></si></sst>)"));
  EXPECT_EQ(book->ActiveSheetName(), "data");
  EXPECT_EQ(testing::CellsAt(*book, {"A1", "B1", "C1", "D1"}),
            (std::vector<CellValue>{CellValue::Text("測点 4 "), CellValue::Text("   "),
                                    CellValue::Text("x\ty"), CellValue::Empty()}));
}

TEST(XlsxReaderMarks, AskedCellsLearnTheirFillThroughTheirFormat) {
  // Format 0 (the format of a cell without `s`) is the grey one here, format 1 is plain.
  std::vector<TestEntry> entries = OneSheetWorkbook(
      R"(<row r="2"><c r="A2" s="1"><v>1</v></c><c r="B2"/><c r="C2" s="x"><v>3</v></c>)"
      R"(<c r="D2" s="7"><v>4</v></c><c s=" 0 "><v>5</v></c></row>)");
  entries.back().data =
      testing::WorkbookRels(testing::Rel("rId1", "worksheet", "worksheets/sheet1.xml") +
                            testing::Rel("rId2", "styles", "styles.xml"));
  entries.push_back(
      {"xl/styles.xml",
       std::string(R"(<styleSheet xmlns=")") + testing::kMainNs +
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
                                    std::string(kSstOpen) + "<si><t>x</t></si></sst>");
    for (TestEntry& e : entries) {
      if (e.name == part) {
        const std::size_t root = e.data.find('<', e.data.find("?>") + 1);
        e.data.insert(root, "<!DOCTYPE x>");
      }
    }
    const std::string why = Error321([&] { Read(entries); });
    EXPECT_TRUE(Contains(why, part)) << why;
    EXPECT_TRUE(Contains(why, "DOCTYPE")) << why;
  }
}

// The workbooks LibreOffice and openpyxl wrote (tests/fixtures) read as their README says.

std::string Fixture(const std::string& name) {
  return std::string(OMBRIX_FIXTURES_DIR) + "/" + name;
}

CellValue N(double v) {
  return CellValue::Number(v);
}
CellValue T(const char* s) {
  return CellValue::Text(s);
}
const CellValue kEmpty = CellValue::Empty();

// Reads `file` and checks its active sheet (unless null) and the cells `refs`.
void ExpectFixture(const std::string& file, const char* sheet, const std::vector<std::string>& refs,
                   const std::vector<CellValue>& values) {
  const auto book = ReadXlsx(Fixture(file));
  if (sheet != nullptr) {
    EXPECT_EQ(book->ActiveSheetName(), sheet) << file;
  }
  EXPECT_EQ(testing::CellsAt(*book, refs), values) << file;
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
    const auto bytes = testing::ReadFileBytes(entry.path());
    try {
      ReadXlsxBytes(bytes, entry.path().string());
    } catch (const RunError& e) {
      EXPECT_EQ(e.number(), err::kBadFileFormat) << entry.path() << ": " << e.description();
    }
  }
  EXPECT_GT(files, 0);
}

// ReadSheetCells: every cell type, positions with and without references, and the cells it
// refuses, each error naming the part and the cell.

const std::vector<std::string> kStrings = {"zero", "one", ""};

SheetWorkbook ReadSheet(const std::string& sheet_data, bool date1904 = false,
                        const std::vector<std::string>* strings = &kStrings) {
  const SheetContext context{"f.xlsx", "xl/worksheets/sheet1.xml", strings, date1904};
  return SheetWorkbook("s", ReadSheetCells(SheetXml(sheet_data), context));
}

TEST(SheetCellTypes, NumbersSharedAndInlineStringsFormulaResults) {
  const auto book = ReadSheet(
      R"(<row r="1"><c r="A1"><v>1.5</v></c><c r="B1" t="n"><v>1E-006</v></c>)"
      R"(<c r="C1" t="s"><v>1</v></c><c r="D1" t="inlineStr"><is><t>in</t><r><t>line</t></r></is></c>)"
      R"(<c r="E1" t="str"><f>A1&amp;""</f><v>x &amp; y</v></c><c r="F1" t="b"><v>0</v></c>)"
      R"(<c r="G1" t="e"><v>#N/A</v></c><c r="H1" t="d"><v>2021-03-15T12:00:00</v></c></row>)");
  EXPECT_EQ(
      testing::CellsAt(book, {"A1", "B1", "C1", "D1", "E1", "F1", "G1", "H1"}),
      (std::vector<CellValue>{N(1.5), N(1e-06), T("one"), T("inline"), T("x & y"),
                              CellValue::Boolean(false), CellValue::Error("#N/A"), N(44270.5)}));
}

TEST(SheetCellTypes, CellsWithoutValueOrWithEmptyTextAreEmpty) {
  const auto book = ReadSheet(
      R"(<row r="2"><c r="A2" s="1"/><c r="B2" t="inlineStr"/><c r="C2" t="str"><f>""</f><v></v></c>)"
      R"(<c r="D2" t="s"><v>2</v></c><c r="E2"><v/></c><c r="F2" t="inlineStr"><is><t/></is></c>)"
      R"(<c r="G2"><v>0</v></c></row>)");
  EXPECT_EQ(testing::CellsAt(book, {"A2", "B2", "C2", "D2", "E2", "F2", "H2", "G2"}),
            (std::vector<CellValue>{kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, N(0)}));
}

TEST(SheetCellTypes, InlineStringsSkipPhoneticRunsAndKeepSpaces) {
  const auto book = ReadSheet(
      R"(<row r="1"><c r="A1" t="inlineStr"><is><r><t xml:space="preserve"> 東京 </t></r>)"
      R"(<rPh sb="0" eb="2"><t>トウキョウ</t></rPh><phoneticPr fontId="0"/></is></c>)"
      R"(<c r="B1" t="inlineStr"><is><t>a_x000A_b</t></is></c>)"
      R"(<c r="C1" t="inlineStr"><is><t><![CDATA[<raw>]]></t></is></c></row>)");
  EXPECT_EQ(testing::CellsAt(book, {"A1", "B1", "C1"}),
            (std::vector<CellValue>{T(" 東京 "), T("a\nb"), T("<raw>")}));
}

TEST(SheetCellTypes, DatesFollowTheWorkbooksDateSystem) {
  const std::string data = R"(<row r="1"><c r="A1" t="d"><v>1904-01-02</v></c></row>)";
  EXPECT_EQ(At(ReadSheet(data, true), "A1"), CellValue::Number(1));
  EXPECT_EQ(At(ReadSheet(data, false), "A1"), CellValue::Number(1463));
}

TEST(SheetCellPositions, CellsAndRowsWithoutReferencesFollowThePreviousOne) {
  const auto book = ReadSheet(
      R"(<row r="3"><c><v>1</v></c><c><v>2</v></c><c r="E3"><v>5</v></c><c><v>6</v></c></row>)"
      R"(<row><c><v>7</v></c></row><row r="10"><c r="B10"><v>8</v></c><c><v>9</v></c></row>)"
      R"(<row r="12"><c r="A12"><v>1</v></c><c r="A12"><v>2</v></c></row>)");
  // The last of two cells at one place wins.
  EXPECT_EQ(testing::CellsAt(book, {"A3", "B3", "E3", "F3", "A4", "B10", "C10", "C3", "A12"}),
            (std::vector<CellValue>{N(1), N(2), N(5), N(6), N(7), N(8), N(9), kEmpty, N(2)}));
}

TEST(SheetCellPositions, PrefixedNamesAndCellsOutsideSheetDataAreIgnored) {
  const std::string xml =
      R"(<x:worksheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
      R"(<x:sheetData><x:row x:r="2"><x:c r="B2" t="s"><x:v>0</x:v></x:c></x:row></x:sheetData>)"
      R"(<x:extLst><x:row r="5"><x:c r="A5"><x:v>9</x:v></x:c></x:row></x:extLst></x:worksheet>)";
  const SheetContext context{"f.xlsx", "s.xml", &kStrings, false};
  const SheetWorkbook book("s", ReadSheetCells(xml, context));
  EXPECT_EQ(At(book, "B2"), CellValue::Text("zero"));
  EXPECT_EQ(At(book, "A5"), CellValue::Empty());
}

TEST(SheetCellErrors, BadValuesNameTheCellAndThePart) {
  const std::string number =
      Error321([] { ReadSheet(R"(<row r="7"><c r="H7"><v>1.2.3</v></c></row>)"); });
  for (const char* part : {"f.xlsx", "xl/worksheets/sheet1.xml", "セル H7", "1.2.3"}) {
    EXPECT_TRUE(Contains(number, part)) << number;
  }
  const std::string index =
      Error321([] { ReadSheet(R"(<row r="2"><c r="B2" t="s"><v>3</v></c></row>)"); });
  EXPECT_TRUE(Contains(index, "セル B2")) << index;
  EXPECT_TRUE(Contains(index, "3 個しかありません")) << index;
  EXPECT_TRUE(
      Contains(Error321([] { ReadSheet(R"(<row><c t="s"><v>0</v></c></row>)", false, nullptr); }),
               "0 個しかありません"));
  // Bad values, and positions outside the sheet.
  const std::pair<const char*, const char*> refused[] = {
      {R"(<row><c t="s"><v>-1</v></c></row>)", "セル A1"},
      {R"(<row><c t="b"><v>yes</v></c></row>)", "yes"},
      {R"(<row><c t="d"><v>2021-02-30</v></c></row>)", "2021-02-30"},
      {R"(<row><c t="q"><v>1</v></c></row>)", "t=\"q\""},
      {R"(<row><c><v>inf</v></c></row>)", ""},
      {R"(<row r="1"><c r="XFE1"><v>1</v></c></row>)", "XFE1"},
      {R"(<row r="0"><c><v>1</v></c></row>)", ""},
      {R"(<row r="1048577"><c><v>1</v></c></row>)", ""},
      {R"(<row r="1048576"/><row><c><v>1</v></c></row>)", ""},
      {R"(<row r="1"><c r="XFD1"><v>1</v></c><c><v>2</v></c></row>)", ""}};
  for (const auto& [data, says] : refused) {
    EXPECT_TRUE(Contains(Error321([&] { ReadSheet(data); }), says)) << data;
  }
}

TEST(SheetCellErrors, NotAWorksheet) {
  const SheetContext context{"f.xlsx", "s.xml", &kStrings, false};
  EXPECT_TRUE(Contains(Error321([&] { ReadSheetCells("<chartsheet/>", context); }), "chartsheet"));
}

TEST(SheetCells, SharedStringsDeferredAreRecordedOncePerIndex) {
  SharedStringUses uses;
  SheetContext context{"f.xlsx", "s.xml", nullptr, false};
  context.deferred_strings = &uses;
  CellStore cells = ReadSheetCells(
      SheetXml(R"(<row r="2"><c r="C2" t="s"><v>7</v></c><c r="D2" t="s"><v>7</v></c></row>)"
               R"(<row r="3"><c r="A3" t="s"><v>1</v></c><c r="B3"><v>5</v></c></row>)"),
      context);
  ASSERT_EQ(uses.size(), 2u);
  EXPECT_EQ(uses.at(7).row, 2);
  EXPECT_EQ(uses.at(7).col, 3);  // the first cell showing it
  cells.ReplaceText(uses.at(7).text_id, "seven");
  EXPECT_EQ(cells.Get(2, 4), CellValue::Text("seven"));
  EXPECT_EQ(cells.Get(2, 3), CellValue::Text("seven"));
  EXPECT_EQ(cells.Get(3, 1), CellValue::Empty());  // not filled yet
  EXPECT_EQ(cells.text_bytes(), 5u);
  // An index no table may reach is refused at once, naming the cell.
  const std::string why = Error321([&] {
    ReadSheetCells(SheetXml(R"(<row r="1"><c r="B1" t="s"><v>16777216</v></c></row>)"), context);
  });
  EXPECT_TRUE(Contains(why, "セル B1 が共有文字列 16777216 番を指していますが")) << why;
}

TEST(SheetCells, TextBeyondTheLimitIsRefused) {
  SheetContext context{"f.xlsx", "s.xml", &kStrings, false};
  context.text_limit = 8;
  const std::string sheet = R"(<row r="1"><c r="A1" t="inlineStr"><is><t>abcde</t></is></c>)"
                            R"(<c r="B1" t="s"><v>0</v></c><c r="C1" t="s"><v>0</v></c></row>)";
  const std::string why = Error321([&] { ReadSheetCells(SheetXml(sheet), context); });
  EXPECT_TRUE(Contains(why, "s.xml のセルの文字列が合わせて 8 バイト")) << why;
  context.text_limit = 9;  // "abcde" and "zero" once, however many cells show it
  EXPECT_EQ(ReadSheetCells(SheetXml(sheet), context).text_bytes(), 9u);
}

// The shared-string table.

// Runs joined, phonetic readings skipped, escapes decoded, prefixed names: the table whole.
TEST(SharedStrings, ReadWholeTheTableHoldsEveryItem) {
  const std::string table =
      R"(<x:sst xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
      R"(<x:si><x:t>a_x000D_b</x:t></x:si><x:si><x:r><x:t>r</x:t></x:r><x:r><x:t>un</x:t></x:r>)"
      R"(<x:rPh><x:t>ラン</x:t></x:rPh></x:si><x:si/></x:sst>)";
  EXPECT_EQ(ReadSharedStrings(table, "f.xlsx", "xl/sharedStrings.xml"),
            (std::vector<std::string>{"a\rb", "run", ""}));
  EXPECT_TRUE(
      Contains(Error321([] { ReadSharedStrings("<other/>", "f.xlsx", "xl/s.xml"); }), "other"));
}

const std::string kTable =
    "<sst><si><t>zero</t></si><si><r><t>o</t></r><r><t>ne</t></r><rPh><t>ワン</t></rPh></si>"
    "<si><t>two</t></si><si/><si><t>four</t></si></sst>";

TEST(SharedStrings, OnlyTheWantedItemsAreDecoded) {
  std::vector<std::size_t> asked;
  std::vector<std::pair<std::size_t, std::string>> taken;
  const std::size_t count = ScanSharedStrings(
      kTable, "f.xlsx", "xl/s.xml",
      [&](std::size_t i) {
        asked.push_back(i);
        return i == 1 || i == 4;
      },
      [&](std::size_t i, std::string text) { taken.emplace_back(i, std::move(text)); });
  EXPECT_EQ(count, 5u);
  EXPECT_EQ(asked, (std::vector<std::size_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(taken, (std::vector<std::pair<std::size_t, std::string>>{{1, "one"}, {4, "four"}}));
}

TEST(SharedStrings, FillKeepsTheUsedTextsAndNamesTheFirstCellPastTheEnd) {
  CellStore cells;
  SharedStringUses uses;
  uses[2] = {cells.AddText(""), 3, 1};
  uses[0] = {cells.AddText(""), 1, 1};
  cells.SetText(3, 1, uses[2].text_id);
  cells.SetText(4, 1, uses[2].text_id);
  cells.SetText(1, 1, uses[0].text_id);
  cells.Finish();
  FillSharedStrings(kTable, "f.xlsx", "xl/s.xml", "xl/sheet.xml", uses, 1000, cells);
  EXPECT_EQ(cells.Get(1, 1), CellValue::Text("zero"));
  EXPECT_EQ(cells.Get(4, 1), CellValue::Text("two"));
  EXPECT_EQ(cells.text_bytes(), 7u);

  uses[9] = {cells.AddText(""), 7, 2};
  uses[5] = {cells.AddText(""), 7, 1};  // the same row, further left: named first
  const std::string why = Error321(
      [&] { FillSharedStrings(kTable, "f.xlsx", "xl/s.xml", "xl/sheet.xml", uses, 1000, cells); });
  EXPECT_TRUE(Contains(why, "xl/sheet.xml")) << why;
  EXPECT_TRUE(
      Contains(why, "セル A7 が共有文字列 5 番を指していますが、共有文字列は 5 個しかありません"))
      << why;
  // No table at all: every use is past its end.
  const std::string none =
      Error321([&] { FillSharedStrings({}, "f.xlsx", {}, "xl/sheet.xml", uses, 1000, cells); });
  EXPECT_TRUE(Contains(none, "セル A1 が共有文字列 0 番を指していますが、共有文字列は 0 個"))
      << none;
}

TEST(SharedStrings, TextBeyondTheLimitIsRefused) {
  CellStore cells;
  SharedStringUses uses;
  uses[0] = {cells.AddText(""), 1, 1};
  uses[4] = {cells.AddText(""), 2, 1};
  const std::string why = Error321(
      [&] { FillSharedStrings(kTable, "big.xlsx", "xl/s.xml", "xl/sheet.xml", uses, 7, cells); });
  EXPECT_TRUE(Contains(why, "\"big.xlsx\" は読み込めません")) << why;
  EXPECT_TRUE(Contains(why, "7 バイト")) << why;
}

}  // namespace
}  // namespace ombrix::sheet::xlsx
