// ReadXlsx / ReadXlsxBytes end to end on archives built here: what real writers vary (prefixes,
// rich shared strings) and what an attacker or a damaged disk produces (entities, truncation).

#include "sheet/xlsx/xlsx_reader.h"

#include <gtest/gtest.h>

#include "cell_value_printer.h"
#include "error_expect.h"
#include "test_archive.h"

namespace ombrix::sheet::xlsx {
namespace {

using testing::At;
using testing::BuildZip;
using testing::Contains;
using testing::Error321;
using testing::OneSheetWorkbook;
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

TEST(XlsxReaderStrings, OnlyTheStringsTheSheetShowsAreKeptEachOnce) {
  std::string table = kSstOpen;
  for (int i = 0; i < 1000; ++i) {
    table += "<si><t>" + std::string(i == 998 ? 5000 : 10, static_cast<char>('a' + i % 26)) +
             "</t></si>";
  }
  std::string rows;
  for (int r = 1; r <= 400; ++r) {
    rows += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) +
            "\" t=\"s\"><v>998</v></c><c r=\"B" + std::to_string(r) +
            "\" t=\"s\"><v>3</v></c></row>";
  }
  const auto book = Read(OneSheetWorkbook(rows, table + "</sst>"));
  EXPECT_EQ(At(*book, "A400"), CellValue::Text(std::string(5000, 'k')));
  EXPECT_EQ(At(*book, "B1"), CellValue::Text("dddddddddd"));
  // The two texts shown, once each: not the table, nor a copy per cell (400 x 5,000 bytes).
  EXPECT_EQ(book->cells().text_bytes(), 5010u);
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

}  // namespace
}  // namespace ombrix::sheet::xlsx
