// LocateWorkbookParts: the workbook, its active sheet, shared strings and styles found through
// the relationships, with targets relative, absolute or dotted.

#include "sheet/xlsx/workbook_parts.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "error_expect.h"
#include "sheet/xlsx/xml_part.h"
#include "test_archive.h"

namespace ombrix::sheet::xlsx::testing {
namespace {

WorkbookParts Locate(const std::vector<TestEntry>& entries) {
  const auto bytes = BuildZip(entries);
  return LocateWorkbookParts(ZipArchive::OpenBytes(bytes, "book.xlsx"));
}

// What was located: workbook, active sheet name and part, shared strings, styles, 1904 dates.
using Parts = std::tuple<std::string, std::string, std::string, std::string, std::string, bool>;
Parts Summary(const WorkbookParts& p) {
  return {p.workbook, p.active_sheet_name, p.active_sheet, p.shared_strings, p.styles, p.date1904};
}

const std::string kTwoSheets =
    R"(<sheet name="first" sheetId="1" r:id="rId1"/><sheet name="second" sheetId="2" r:id="rId2"/>)";

TEST(WorkbookParts, TheWorkbookAndActiveSheetAreFoundAndTargetsResolve) {
  const WorkbookParts parts = Locate({
      {"_rels/.rels", PackageRels()},
      {"xl/workbook.xml", WorkbookXml(kTwoSheets, 1)},
      {"xl/_rels/workbook.xml.rels",
       WorkbookRels(Rel("rId1", "worksheet", "worksheets/sheet1.xml") +
                    Rel("rId2", "worksheet", "/xl/worksheets/sheet2.xml") +
                    Rel("rId3", "sharedStrings", "./strings/../sharedStrings.xml") +
                    Rel("rId4", "styles", "styles.xml"))},
      {"xl/worksheets/sheet1.xml", SheetXml("")},
      {"xl/worksheets/sheet2.xml", SheetXml("")},
      {"xl/sharedStrings.xml", "<sst/>"},
      {"xl/styles.xml", "<styleSheet/>"},
  });
  EXPECT_EQ(Summary(parts), (Parts{"xl/workbook.xml", "second", "xl/worksheets/sheet2.xml",
                                   "xl/sharedStrings.xml", "xl/styles.xml", false}));

  // A workbook elsewhere is found through the package relationships.
  const WorkbookParts elsewhere = Locate({
      {"_rels/.rels", PackageRels("/book/main.xml")},
      {"book/main.xml",
       R"(<x:workbook xmlns:x="m" xmlns:rel="r"><x:workbookPr date1904="1"/><x:sheets>)"
       R"(<x:sheet name="only" rel:id="s1"/></x:sheets></x:workbook>)"},
      {"book/_rels/main.xml.rels", WorkbookRels(Rel("s1", "worksheet", "../sheets/s.xml"))},
      {"sheets/s.xml", SheetXml("")},
  });
  EXPECT_EQ(Summary(elsewhere), (Parts{"book/main.xml", "only", "sheets/s.xml", "", "", true}));

  // Without package relationships the usual name is used.
  const WorkbookParts usual = Locate({
      {"xl/workbook.xml", WorkbookXml(R"(<sheet name="a" r:id="rId1"/>)")},
      {"xl/_rels/workbook.xml.rels", WorkbookRels(Rel("rId1", "worksheet", "worksheets/a.xml"))},
      {"xl/worksheets/a.xml", SheetXml("")},
      {"xl/sharedStrings.xml", "<sst/>"},
  });
  EXPECT_EQ(usual.active_sheet, "xl/worksheets/a.xml");
  EXPECT_EQ(usual.shared_strings, "xl/sharedStrings.xml");  // found by name, not relationship
}

std::vector<TestEntry> WithWorkbook(const std::string& workbook, const std::string& rels) {
  return {{"xl/workbook.xml", workbook},
          {"xl/_rels/workbook.xml.rels", rels},
          {"xl/worksheets/sheet1.xml", SheetXml("")}};
}

const std::string kOneSheet = WorkbookXml(R"(<sheet name="s" r:id="rId1"/>)");
const std::string kSheetRel = WorkbookRels(Rel("rId1", "worksheet", "worksheets/sheet1.xml"));

TEST(WorkbookPartsErrors, EachMissingOrBrokenPieceIsNamed) {
  const auto rels = [](const char* kind, const char* target) {
    return WorkbookRels(Rel("rId1", kind, target));
  };
  const std::pair<std::vector<TestEntry>, const char*> cases[] = {
      {WithWorkbook(WorkbookXml(kTwoSheets, 2), kSheetRel), "activeTab=2"},
      {WithWorkbook(WorkbookXml(""), kSheetRel), "シートが 1 枚もありません"},
      {{{"xl/workbook.xml", kOneSheet}, {"xl/worksheets/sheet1.xml", ""}},
       "xl/_rels/workbook.xml.rels がありません"},
      {WithWorkbook(kOneSheet, WorkbookRels(Rel("rId9", "worksheet", "x"))), "rId1"},
      {WithWorkbook(kOneSheet, rels("chartsheet", "worksheets/sheet1.xml")),
       "the active sheet is a chart; make a worksheet active and save"},
      {WithWorkbook(kOneSheet, rels("dialogsheet", "worksheets/sheet1.xml")),
       "ワークシートではありません"},
      {WithWorkbook(kOneSheet, rels("worksheet", "../../outside.xml")), "../../outside.xml"},
      {WithWorkbook(kOneSheet, WorkbookRels(Rel("rId1", "worksheet", "worksheets/sheet1.xml") +
                                            Rel("rId2", "sharedStrings", "missing.xml"))),
       "missing.xml"},
      {{{"_rels/.rels", PackageRels("xl/nowhere.xml")}, {"xl/workbook.xml", kOneSheet}},
       "xl/nowhere.xml"},
      {WithWorkbook(R"(<!DOCTYPE workbook [<!ENTITY e "x">]><workbook>&e;</workbook>)", kSheetRel),
       "DOCTYPE"},
      {WithWorkbook("<workbook><sheets>", kSheetRel), "xl/workbook.xml"},
      {WithWorkbook("<book/>", kSheetRel), "book"}};
  for (const auto& [entries, says] : cases) {
    const std::string why = Error321([&e = entries] { Locate(e); });
    EXPECT_TRUE(Contains(why, says)) << why;
  }
}

TEST(WorkbookParts, MoreSheetsThanTheCapAreRefused) {
  const auto book = [](std::size_t count) {
    std::string sheets;
    for (std::size_t i = 1; i <= count; ++i) {
      sheets += "<sheet name=\"S" + std::to_string(i) + "\" sheetId=\"1\" r:id=\"rId1\"/>";
    }
    return std::vector<TestEntry>{
        {"_rels/.rels", PackageRels()},
        {"xl/workbook.xml", WorkbookXml(sheets)},
        {"xl/_rels/workbook.xml.rels", WorkbookRels(Rel("rId1", "worksheet", "s.xml"))},
        {"xl/s.xml", SheetXml("")}};
  };
  // The message is pinned by the hostile many-sheets workbook's command test.
  Error321([&] { Locate(book(65536)); });
  EXPECT_EQ(Locate(book(65535)).active_sheet_name, "S1");
}

TEST(WorkbookParts, APartTooLongForATreeIsRefusedBeforeParsing) {
  std::string padded = WorkbookXml(kTwoSheets);
  padded.insert(padded.find("<sheets>"), kMaxTreePartBytes, ' ');
  const std::string why = Error321([&] { ParseXmlPart(padded, "book.xlsx", "xl/workbook.xml"); });
  EXPECT_TRUE(Contains(why, "xl/workbook.xml")) << why;
  EXPECT_TRUE(Contains(why, "上限の 64 MiB を超えます")) << why;
}

}  // namespace
}  // namespace ombrix::sheet::xlsx::testing
