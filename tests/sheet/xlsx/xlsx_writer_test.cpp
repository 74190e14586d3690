// Writing numbers and grey marks into .xlsx workbooks: EditXlsxBytes end to end on workbooks
// of LibreOffice, openpyxl and Excel and on archives built here.

#include "sheet/xlsx/xlsx_writer.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <bit>
#include <limits>
#include <map>
#include <set>

#include "cell_value_printer.h"
#include "error_expect.h"
#include "sheet/xlsx/workbook_parts.h"
#include "sheet/xlsx/xlsx_reader.h"
#include "sheet/xlsx/zip_archive.h"
#include "test_archive.h"
#include "xlsx_test_support.h"

namespace ombrix::sheet::xlsx::testing {
namespace {

constexpr int kScan = 60;  // every fixture keeps its cells inside A1:BH60

std::vector<std::uint8_t> Fixture(const std::string& name) {
  return ReadFileBytes(std::string(OMBRIX_FIXTURES_DIR) + "/" + name);
}

CellEdit Mark(const std::string& ref) {
  const CellRef r = *ParseCellRef(ref);
  return {r.row, r.col, std::nullopt, true};
}

std::map<std::string, std::string> Entries(const std::vector<std::uint8_t>& bytes) {
  const ZipArchive archive = ZipArchive::OpenBytes(bytes, "entries.xlsx");
  std::map<std::string, std::string> out;
  for (const ZipEntry& e : archive.entries()) {
    out[e.name] = archive.Read(e);
  }
  return out;
}

WorkbookParts Parts(const std::vector<std::uint8_t>& bytes) {
  return LocateWorkbookParts(ZipArchive::OpenBytes(bytes, "parts.xlsx"));
}

// The style index of cell `ref` in the sheet XML, -1 when the cell is not there.
int StyleOf(const std::string& sheet_xml, const std::string& ref) {
  const auto doc = Xml(sheet_xml);
  const pugi::xpath_node c = doc->select_node(("//*[local-name()='c'][@r='" + ref + "']").c_str());
  return c ? c.node().attribute("s").as_int(0) : -1;
}

// Whether cell format `s` of the styles part applies a solid fill in palette index 23.
bool IsGreyFill(const std::string& styles_xml, int s) {
  const auto doc = Xml(styles_xml);
  const auto nth = [&](const std::string& section, int i) {  // i < 0 and past the end: none
    const std::string path =
        "/*/*[local-name()='" + section + "']/*[" + std::to_string(i + 1) + "]";
    return doc->select_node(path.c_str()).node();
  };
  const pugi::xml_node xf = nth("cellXfs", s);
  const pugi::xml_node pattern = nth("fills", xf.attribute("fillId").as_int(-1)).first_child();
  return std::string_view(xf.attribute("applyFill").value()) == "1" &&
         std::string_view(pattern.attribute("patternType").value()) == "solid" &&
         pattern.child("fgColor").attribute("indexed").as_int() == 23;
}

// That it matches the section's children is the style patch test's check.
int CountAttr(const std::string& styles_xml, const char* section) {
  return Xml(styles_xml)->document_element().child(section).attribute("count").as_int(-1);
}

// Writes `edits` into `original` and checks what must hold whatever the edits: the result opens,
// the sheet part is well-formed XML, written cells hold their numbers, other cells are unchanged,
// entries other than the rewritten ones are identical, packed alike and in the same order.
std::vector<std::uint8_t> EditAndCheck(const std::vector<std::uint8_t>& original,
                                       const std::vector<CellEdit>& edits,
                                       const std::set<std::string>& may_change = {}) {
  std::vector<std::uint8_t> result = EditXlsxBytes(original, "book.xlsx", edits);
  const auto before = ReadXlsxBytes(original, "before.xlsx");
  const auto after = ReadXlsxBytes(result, "after.xlsx");
  std::map<std::pair<int, int>, double> written;
  for (const CellEdit& e : edits) {
    if (e.value) {
      written[{e.row, e.col}] = *e.value;  // a later edit of the cell wins
    }
  }
  for (int row = 1; row <= kScan; ++row) {
    for (int col = 1; col <= kScan; ++col) {
      const auto it = written.find({row, col});
      if (it != written.end()) {
        const CellValue got = after->Cell(row, col);
        EXPECT_EQ(got.kind, CellKind::Number) << CellName(row, col);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(got.number),
                  std::bit_cast<std::uint64_t>(it->second))
            << CellName(row, col);
      } else {
        EXPECT_EQ(after->Cell(row, col), before->Cell(row, col)) << CellName(row, col);
      }
    }
  }
  const ZipArchive a = ZipArchive::OpenBytes(original, "before.xlsx");
  const ZipArchive b = ZipArchive::OpenBytes(result, "after.xlsx");
  const WorkbookParts parts = LocateWorkbookParts(a);
  Xml(b.Read(*b.Find(parts.active_sheet)));
  std::set<std::string> rewritten = may_change;
  rewritten.insert({parts.active_sheet, parts.styles});
  // Other entries keep their bytes, packed as they were, and their order.
  for (const ZipEntry& e : a.entries()) {
    const ZipEntry* found = b.Find(e.name);
    EXPECT_TRUE(rewritten.contains(e.name) || (found != nullptr && b.Read(*found) == a.Read(e) &&
                                               found->compressed_size == e.compressed_size))
        << e.name;
  }
  const auto shared_names = [](const ZipArchive& x, const ZipArchive& y) {
    std::vector<std::string> names;
    for (const ZipEntry& e : x.entries()) {
      if (y.Find(e.name) != nullptr) {
        names.push_back(e.name);
      }
    }
    return names;
  };
  EXPECT_EQ(shared_names(b, a), shared_names(a, b));
  return result;
}

TEST(XlsxWriterFixtures, NumbersOverEveryKindOfCellOfLibreOffice) {
  // A1 shared string, K1 formula with text result, K2 error formula, F3 formula, K3 boolean
  // formula, G4 number, H4 formula, J7 of the blanks file an empty-text formula.
  const std::vector<CellEdit> edits = {Value("A1", 1.5),   Value("K1", -2),  Value("K2", 0.1),
                                       Value("F3", 1e300), Value("K3", 7),   Value("G4", 5e-324),
                                       Value("H4", 3.25),  Value("B5", 42),  Value("H5", 43),
                                       Value("C10", 44),   Value("Z40", 45), Value("A6", 46)};
  const auto result = EditAndCheck(Fixture("mesh_formulas.lo.xlsx"), edits);
  // The formulas written over are gone and the others stay: WriteBackCorpus compares every
  // formula of every fixture.
  const std::string sheet = Entries(result).at("xl/worksheets/sheet1.xml");
  EXPECT_TRUE(Contains(sheet, "<dimension ref=\"A1:Z40\"/>")) << sheet.substr(0, 1200);

  // A later edit of a cell wins; every double reads back bit for bit.
  std::vector<CellEdit> numbers = {Value("J7", 8.5), Value("I8", 1), Value("I8", 9)};
  for (const double v :
       {0.1, 1.0 / 3, -0.0, 1e-300, 1.7976931348623157e308, 123456789012345678.0, -2.5e-7}) {
    numbers.push_back({static_cast<std::int32_t>(numbers.size()), 3, v, false});
  }
  EditAndCheck(Fixture("mesh_blanks.lo.xlsx"), numbers);
}

// In the fixture I8, J8 and K8 have format 1, G6 format 0; Q30 is a new cell.
TEST(XlsxWriterMarks, ExistingAndNewCellsGetOneClonePerOriginalFormat) {
  const auto original = Fixture("mesh_blanks.lo.xlsx");
  const WorkbookParts parts = Parts(original);
  const std::string styles_before = Entries(original).at(parts.styles);
  const int fills_before = CountAttr(styles_before, "fills");
  const int xfs_before = CountAttr(styles_before, "cellXfs");

  const std::vector<CellEdit> edits = {Mark("I8"),  Mark("J8"),       Mark("G6"), Mark("H6"),
                                       Mark("Q30"), Value("H7", 2.5), Mark("H7")};
  const auto result = EditAndCheck(original, edits);
  const auto after = Entries(result);
  const std::string& sheet = after.at(parts.active_sheet);
  const std::string& styles = after.at(parts.styles);
  for (const char* ref : {"I8", "J8", "G6", "H6", "Q30", "H7"}) {
    EXPECT_TRUE(IsGreyFill(styles, StyleOf(sheet, ref))) << ref;
  }
  EXPECT_EQ(StyleOf(sheet, "I8"), StyleOf(sheet, "J8"));
  EXPECT_EQ(StyleOf(sheet, "G6"), StyleOf(sheet, "H6"));
  EXPECT_EQ(StyleOf(sheet, "G6"), StyleOf(sheet, "Q30"));  // new cells clone format 0
  EXPECT_NE(StyleOf(sheet, "I8"), StyleOf(sheet, "G6"));
  EXPECT_EQ(CountAttr(styles, "fills"), fills_before + 1);
  EXPECT_EQ(CountAttr(styles, "cellXfs"), xfs_before + 2);
  // WriteBackCorpus checks on every fixture that clones keep all but the fill.
}

std::vector<TestEntry> WithContentTypes(std::vector<TestEntry> entries,
                                        const std::string& overrides = "") {
  entries.insert(
      entries.begin(),
      {"[Content_Types].xml",
       R"(<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
       R"(<Default Extension="xml" ContentType="application/xml"/>)" +
           overrides + "</Types>"});
  return entries;
}

// Entries stored without compression stay stored (EditAndCheck compares packed sizes).
TEST(XlsxWriterMarks, AWorkbookWithoutStylesGetsAStylesPart) {
  auto entries = WithContentTypes(OneSheetWorkbook(R"(<row r="1"><c r="A1"><v>1</v></c></row>)"));
  entries.push_back({"docProps/thumbnail.jpeg", std::string(5000, 'x'), true});
  entries.push_back({"customXml/item1.xml", "<a/>", true});
  const auto result = EditAndCheck(BuildZip(entries), {Mark("A1"), Value("B2", 2), Mark("B2")},
                                   {"xl/_rels/workbook.xml.rels", "[Content_Types].xml"});
  const WorkbookParts parts = Parts(result);
  ASSERT_EQ(parts.styles, "xl/styles.xml");
  const auto after = Entries(result);
  EXPECT_TRUE(IsGreyFill(after.at("xl/styles.xml"), StyleOf(after.at(parts.active_sheet), "A1")));
  EXPECT_TRUE(IsGreyFill(after.at("xl/styles.xml"), StyleOf(after.at(parts.active_sheet), "B2")));
  EXPECT_TRUE(Contains(after.at("[Content_Types].xml"), "PartName=\"/xl/styles.xml\""));

  // An entry that merely has the name is not the styles part: the new part takes the next name.
  auto clashing = WithContentTypes(OneSheetWorkbook(R"(<row r="1"><c r="A1"><v>1</v></c></row>)"));
  clashing.push_back({"xl/styles.xml", "<notStyles/>", false});
  const auto renamed = EditAndCheck(BuildZip(clashing), {Mark("A1")},
                                    {"xl/_rels/workbook.xml.rels", "[Content_Types].xml"});
  EXPECT_EQ(Parts(renamed).styles, "xl/styles1.xml");
}

TEST(XlsxWriterSheets, PrefixesSelfClosingElementsAndCellsWithoutReferences) {
  const std::string sheet =
      R"(<?xml version="1.0"?><x:worksheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
      R"(<x:dimension ref="A1:B3"/><x:sheetData><x:row><x:c><x:v>1</x:v></x:c><x:c t="inlineStr"><x:is><x:t>b</x:t></x:is></x:c></x:row>)"
      R"(<x:row r="3" spans="1:2"/></x:sheetData><x:mergeCells count="1"><x:mergeCell ref="A5:B5"/></x:mergeCells></x:worksheet>)";
  auto entries = OneSheetWorkbook("");
  entries[2].data = sheet;
  const auto original = BuildZip(entries);
  const auto result = EditAndCheck(original, {Value("B1", 5), Value("C1", 6), Value("A3", 7),
                                              Value("C3", 10), Value("A2", 8), Value("D9", 9)});
  const std::string out = Entries(result).at("xl/worksheets/sheet1.xml");
  EXPECT_TRUE(
      Contains(out, R"(<x:mergeCells count="1"><x:mergeCell ref="A5:B5"/></x:mergeCells>)"));
  EXPECT_TRUE(Contains(out, R"(<x:dimension ref="A1:D9"/>)")) << out;
  EXPECT_TRUE(Contains(out, R"(<x:row r="3" spans="1:3">)")) << out;
  EXPECT_TRUE(Contains(out, R"(<x:row r="2"><x:c r="A2"><x:v>8</x:v></x:c></x:row>)")) << out;
  EXPECT_FALSE(Contains(out, "<row")) << out;

  auto empty = OneSheetWorkbook("");
  empty[2].data =
      SheetXml("").replace(SheetXml("").find("<sheetData></sheetData>"), 23, "<sheetData/>");
  EditAndCheck(BuildZip(empty), {Value("B2", 1), Mark("C3")}, {"xl/_rels/workbook.xml.rels"});
}

std::vector<TestEntry> FormulaWorkbook(const std::string& chain) {
  auto entries = WithContentTypes(
      OneSheetWorkbook(
          R"(<row r="1"><c r="A1"><v>2</v></c><c r="B1"><f t="shared" ref="B1:B3" si="0">A1*2</f><v>4</v></c><c r="C1"><f>A1+1</f><v>3</v></c></row>)"
          R"(<row r="2"><c r="A2"><v>3</v></c><c r="B2"><f t="shared" si="0"/><v>6</v></c></row>)"
          R"(<row r="3"><c r="A3"><v>4</v></c><c r="B3"><f t="shared" si="0"/><v>8</v></c></row>)"),
      R"(<Override PartName="/xl/calcChain.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.calcChain+xml"/>)");
  entries.back().data = WorkbookRels(Rel("rId1", "worksheet", "worksheets/sheet1.xml") +
                                     Rel("rId2", "calcChain", "calcChain.xml"));
  entries.push_back({"xl/calcChain.xml", R"(<?xml version="1.0"?><calcChain xmlns=")" +
                                             std::string(kMainNs) + R"(">)" + chain +
                                             "</calcChain>"});
  return entries;
}

TEST(XlsxWriterFormulas, OverwrittenFormulasLeaveTheCalculationChainUntilItIsEmpty) {
  const auto original = BuildZip(FormulaWorkbook(
      R"(<c r="C1" i="1"/><c r="A3"/><c r="B2"/><c r="A1" i="2"/><c r="B3" i="1"/>)"));
  // B1 and C1 lose their formulas (B2 stores the one B1:B3 share now, as the sheet patch cases
  // pin): their entries leave the chain, B2's stays.
  const auto result =
      EditAndCheck(original, {Value("C1", 10), Value("B1", 11)}, {"xl/calcChain.xml"});
  const auto chain = Xml(Entries(result).at("xl/calcChain.xml"));
  std::vector<std::string> left;
  for (pugi::xml_node c : chain->document_element().children()) {
    left.push_back(std::string(c.attribute("r").value()) + "/" + c.attribute("i").value());
  }
  // A3 followed C1 and named its sheet through it; it now names it itself.
  EXPECT_EQ(left, (std::vector<std::string>{"A3/1", "B2/", "A1/2", "B3/1"}));

  // A chain left empty goes, and with it its relationship and content type.
  const auto emptied =
      EditAndCheck(BuildZip(FormulaWorkbook(R"(<c r="C1" i="1"/><c r="B1"/>)")),
                   {Value("C1", 10), Value("B1", 11)},
                   {"xl/calcChain.xml", "xl/_rels/workbook.xml.rels", "[Content_Types].xml"});
  const auto after = Entries(emptied);
  EXPECT_FALSE(after.contains("xl/calcChain.xml"));
  EXPECT_FALSE(Contains(after.at("xl/_rels/workbook.xml.rels"), "calcChain"));
  EXPECT_FALSE(Contains(after.at("[Content_Types].xml"), "calcChain"));
  EXPECT_TRUE(Contains(after.at("[Content_Types].xml"), "Default Extension=\"xml\""));
}

// Cells of an array formula in a workbook Excel wrote are refused, naming the cell and the range.
TEST(XlsxWriterFormulas, ArrayCellsOfARealWorkbookAreRefused) {
  const auto original = Fixture("realworld/openpyxl__formulae.xlsx");
  for (const char* cell : {"C10", "C12", "C14"}) {
    const std::string why = Error321([&] {
      EditXlsxBytes(original, "formulae.xlsx", std::vector{Value("A1", 1), Value(cell, 1)});
    });
    EXPECT_TRUE(Contains(why, std::string("セル ") + cell + " ")) << why;
    EXPECT_TRUE(Contains(why, "C10:C14")) << why;
  }
}

TEST(XlsxWriterErrors, NonFiniteValuesCellsOutsideTheSheetAndUnreadableSheetsAreRefused) {
  const auto blank = BuildZip(OneSheetWorkbook(""));
  const auto disordered = BuildZip(OneSheetWorkbook(
      R"(<row r="3"><c r="A3"><v>1</v></c></row><row r="2"><c r="A2"><v>1</v></c></row>)"));
  const auto bad_style = BuildZip(OneSheetWorkbook(R"(<row r="1"><c r="A1" s="x"/></row>)"));
  const std::vector<std::uint8_t> junk = {1, 2, 3};
  const struct {
    const std::vector<std::uint8_t>& book;
    CellEdit edit;
    const char* says;
  } cases[] = {{blank, Value("B2", std::numeric_limits<double>::quiet_NaN()), "B2"},
               {blank, Value("B2", std::numeric_limits<double>::infinity()), "B2"},
               {blank, Value("B2", -std::numeric_limits<double>::infinity()), "B2"},
               {blank, CellEdit{0, 1, 1.0}, "mesh.xlsx"},
               {blank, CellEdit{1, kMaxColumn + 1, 1.0}, "mesh.xlsx"},
               {disordered, Value("A1", 1), "xl/worksheets/sheet1.xml"},
               {bad_style, Mark("A1"), "A1"},
               {junk, Value("A1", 1), "mesh.xlsx"}};
  for (const auto& c : cases) {
    const std::string why =
        Error321([&] { EditXlsxBytes(c.book, "mesh.xlsx", std::vector{c.edit}); });
    EXPECT_TRUE(Contains(why, c.says)) << why;
  }
}

// The parts a write reads besides the sheet refuse a document type as the reader's parts do.
TEST(XlsxWriterErrors, ADocumentTypeInStylesOrContentTypesIsRefused) {
  const std::string doctype = R"(<!DOCTYPE x [<!ENTITY e "boom">]>)";
  auto styled = OneSheetWorkbook(R"(<row r="1"><c r="A1"><v>1</v></c></row>)");
  styled.back().data = WorkbookRels(Rel("rId1", "worksheet", "worksheets/sheet1.xml") +
                                    Rel("rId3", "styles", "styles.xml"));
  styled.push_back({"xl/styles.xml", doctype + "<styleSheet>&e;</styleSheet>"});
  auto typed = WithContentTypes(OneSheetWorkbook(R"(<row r="1"><c r="A1"><v>1</v></c></row>)"));
  typed.front().data.insert(typed.front().data.find("<Types"), doctype);
  for (const auto& [entries, part] :
       {std::pair{styled, "xl/styles.xml"}, std::pair{typed, "[Content_Types].xml"}}) {
    const auto book = BuildZip(entries);
    const std::string why =
        Error321([&] { EditXlsxBytes(book, "mesh.xlsx", std::vector{Mark("A1")}); });
    EXPECT_TRUE(Contains(why, part)) << why;
    EXPECT_TRUE(Contains(why, "DOCTYPE")) << why;
  }
}

}  // namespace
}  // namespace ombrix::sheet::xlsx::testing
