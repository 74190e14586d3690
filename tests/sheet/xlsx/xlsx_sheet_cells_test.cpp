// ReadSheetCells: every cell type, positions with and without references, and the cells it
// refuses, each error naming the part and the cell.

#include "sheet/xlsx/sheet_cells.h"

#include <gtest/gtest.h>

#include <utility>

#include "cell_value_printer.h"
#include "error_expect.h"
#include "test_archive.h"
#include "xlsx_test_support.h"

namespace ombrix::sheet::xlsx::testing {
namespace {

const std::vector<std::string> kStrings = {"zero", "one", ""};

SheetWorkbook ReadSheet(const std::string& sheet_data, bool date1904 = false,
                        const std::vector<std::string>* strings = &kStrings) {
  const SheetContext context{"f.xlsx", "xl/worksheets/sheet1.xml", strings, date1904};
  return SheetWorkbook("s", ReadSheetCells(SheetXml(sheet_data), context));
}

// Inline strings skip phonetic runs and keep their spaces.
TEST(SheetCellTypes, NumbersSharedAndInlineStringsFormulaResults) {
  const auto book = ReadSheet(
      R"(<row r="1"><c r="A1"><v>1.5</v></c><c r="B1" t="n"><v>1E-006</v></c>)"
      R"(<c r="C1" t="s"><v>1</v></c><c r="D1" t="inlineStr"><is><t>in</t><r><t>line</t></r></is></c>)"
      R"(<c r="E1" t="str"><f>A1&amp;""</f><v>x &amp; y</v></c><c r="F1" t="b"><v>0</v></c>)"
      R"(<c r="G1" t="e"><v>#N/A</v></c><c r="H1" t="d"><v>2021-03-15T12:00:00</v></c>)"
      R"(<c r="I1" t="inlineStr"><is><r><t xml:space="preserve"> 東京 </t></r>)"
      R"(<rPh sb="0" eb="2"><t>トウキョウ</t></rPh><phoneticPr fontId="0"/></is></c>)"
      R"(<c r="J1" t="inlineStr"><is><t>a_x000A_b</t></is></c>)"
      R"(<c r="K1" t="inlineStr"><is><t><![CDATA[<raw>]]></t></is></c></row>)");
  EXPECT_EQ(CellsAt(book, {"A1", "B1", "C1", "D1", "E1", "F1", "G1", "H1", "I1", "J1", "K1"}),
            (std::vector<CellValue>{N(1.5), N(1e-06), T("one"), T("inline"), T("x & y"),
                                    CellValue::Boolean(false), CellValue::Error("#N/A"), N(44270.5),
                                    T(" 東京 "), T("a\nb"), T("<raw>")}));
  // H1 above is read in the 1900 system; dates follow the workbook's.
  EXPECT_EQ(At(ReadSheet(R"(<row><c t="d"><v>1904-01-02</v></c></row>)", true), "A1"), N(1));
}

TEST(SheetCellTypes, CellsWithoutValueOrWithEmptyTextAreEmpty) {
  const auto book = ReadSheet(
      R"(<row r="2"><c r="A2" s="1"/><c r="B2" t="inlineStr"/><c r="C2" t="str"><f>""</f><v></v></c>)"
      R"(<c r="D2" t="s"><v>2</v></c><c r="E2"><v/></c><c r="F2" t="inlineStr"><is><t/></is></c>)"
      R"(<c r="G2"><v>0</v></c></row>)");
  EXPECT_EQ(CellsAt(book, {"A2", "B2", "C2", "D2", "E2", "F2", "H2", "G2"}),
            (std::vector<CellValue>{kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, N(0)}));
}

TEST(SheetCellPositions, UnreferencedCellsFollowThePreviousOneAndOnlySheetDataCounts) {
  const auto book = ReadSheet(
      R"(<row r="3"><c><v>1</v></c><c><v>2</v></c><c r="E3"><v>5</v></c><c><v>6</v></c></row>)"
      R"(<row><c><v>7</v></c></row><row r="10"><c r="B10"><v>8</v></c><c><v>9</v></c></row>)"
      R"(<row r="12"><c r="A12"><v>1</v></c><c r="A12"><v>2</v></c></row>)");
  // The last of two cells at one place wins.
  EXPECT_EQ(CellsAt(book, {"A3", "B3", "E3", "F3", "A4", "B10", "C10", "C3", "A12"}),
            (std::vector<CellValue>{N(1), N(2), N(5), N(6), N(7), N(8), N(9), kEmpty, N(2)}));

  // Prefixed names are read; cells outside sheetData are not.
  const std::string xml =
      R"(<x:worksheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
      R"(<x:sheetData><x:row x:r="2"><x:c r="B2" t="s"><x:v>0</x:v></x:c></x:row></x:sheetData>)"
      R"(<x:extLst><x:row r="5"><x:c r="A5"><x:v>9</x:v></x:c></x:row></x:extLst></x:worksheet>)";
  const SheetContext context{"f.xlsx", "s.xml", &kStrings, false};
  const SheetWorkbook prefixed("s", ReadSheetCells(xml, context));
  EXPECT_EQ(CellsAt(prefixed, {"B2", "A5"}), (std::vector<CellValue>{T("zero"), kEmpty}));
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
    EXPECT_TRUE(Contains(Error321([&d = data] { ReadSheet(d); }), says)) << data;
  }
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

}  // namespace
}  // namespace ombrix::sheet::xlsx::testing
