// PatchSheet on sheet parts holding shared formulas, array formulas and data tables: writing a
// cell never takes another cell's formula away, and part of an array is never written.

#include "sheet/xlsx/sheet_patch.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "error_expect.h"
#include "test_archive.h"
#include "xlsx_test_support.h"

namespace ombrix::sheet::xlsx::testing {
namespace {

// `edits` in row and column order, one per cell.
std::string Patch(const std::string& xml, const std::vector<CellEdit>& edits,
                  std::vector<CellRef>* removed = nullptr) {
  const std::function<std::uint32_t(std::uint32_t)> marked = [](std::uint32_t s) { return s; };
  SheetPatchResult result = PatchSheet(xml, edits, marked, "book.xlsx", "xl/worksheets/sheet1.xml");
  if (removed != nullptr) {
    *removed = result.removed_formulas;
  }
  return result.xml;
}

// The formulas of cells `refs` in the sheet XML as "t ref si|text", "" for a cell without one.
std::vector<std::string> Formulas(const std::string& xml, const std::vector<std::string>& refs) {
  const auto doc = Xml(xml);
  std::vector<std::string> out;
  for (const std::string& ref : refs) {
    const std::string path = "//*[local-name()='c'][@r='" + ref + "']/*[local-name()='f']";
    const pugi::xml_node f = doc->select_node(path.c_str()).node();
    out.push_back(!f ? ""
                     : std::string(f.attribute("t").value()) + " " + f.attribute("ref").value() +
                           " " + f.attribute("si").value() + "|" + f.text().get());
  }
  return out;
}
using Texts = std::vector<std::string>;

std::string Cell(const std::string& ref, const std::string& inner) {
  return "<c r=\"" + ref + "\">" + inner + "</c>";
}

// B1:B3 share B1's formula; C1:D3 share C1's (two columns); E1:E2 share E1's, whose text needs
// escaping.
const std::string kShared = SheetXml(
    "<row r=\"1\">" + Cell("A1", "<v>2</v>") +
    Cell("B1", R"(<f t="shared" ref="B1:B3" si="0">A1*2+$A$1</f><v>6</v>)") +
    Cell("C1", R"(<f t="shared" ref="C1:D3" si="1">SUM($A1:A$3)</f><v>9</v>)") +
    Cell("D1", R"(<f t="shared" si="1"/><v>9</v>)") +
    Cell("E1", R"(<f t="shared" ref="E1:E2" si="2">"a&amp;b"&amp;A1&lt;3</f><v>1</v>)") +
    "</row><row r=\"2\">" + Cell("A2", "<v>3</v>") +
    Cell("B2", R"(<f t="shared" si="0"/><v>8</v>)") + Cell("C2", R"(<f t="shared" si="1"/>)") +
    Cell("D2", R"(<f t="shared" si="1"/>)") + Cell("E2", R"(<f t="shared" si="2"/><v>0</v>)") +
    "</row><row r=\"3\">" + Cell("A3", "<v>4</v>") +
    Cell("B3", R"(<f t="shared" si="0"></f><v>10</v>)") + Cell("C3", R"(<f t="shared" si="1"/>)") +
    Cell("D3", R"(<f t="shared" si="1"/>)") + "</row>");

// A cell of the row rewritten in place, and new cells after the last cell of the row, out to the
// sheet's last column: one row, its cells in column order, the rest of the text as it was.
TEST(PatchSheetCells, CellsAfterTheLastOfARowReachTheLastColumn) {
  EXPECT_EQ(Patch(SheetXml("<row r=\"1\">" + Cell("A1", "<v>2</v>") + "</row>"),
                  {Value("A1", 5), Value("B1", 1), Value("XFC1", 2), Value("XFD1", 3)}),
            SheetXml("<row r=\"1\">" + Cell("A1", "<v>5</v>") + Cell("B1", "<v>1</v>") +
                     Cell("XFC1", "<v>2</v>") + Cell("XFD1", "<v>3</v>") + "</row>"));
}

TEST(PatchSheetSharedFormulas, AnOverwrittenFirstCellHandsTheFormulaToTheNextCell) {
  const std::string out = Patch(kShared, {Value("B1", 7), Value("E1", 1)});
  // B3 still reads from the moved formula.
  EXPECT_EQ(Formulas(out, {"B1", "B2", "B3", "E2"}),
            (Texts{"", "shared B2:B3 0|A2*2+$A$1", "shared  0|", "shared E2 2|\"a&b\"&A2<3"}));
  // Escaped as XML requires: the parse above would let a bare "&" through.
  EXPECT_TRUE(Contains(out, R"(&quot;a&amp;b&quot;&amp;A2&lt;3)") ||
              Contains(out, R"("a&amp;b"&amp;A2&lt;3)"))
      << out;
  // The other group is untouched.
  EXPECT_EQ(Formulas(out, {"C1", "D2"}), (Texts{"shared C1:D3 1|SUM($A1:A$3)", "shared  1|"}));
}

TEST(PatchSheetSharedFormulas, LaterCellsLoseOnlyTheirOwnAndCellsOutsideTheNewRangeGetTheirs) {
  // C1 goes: D1 stores the formula for D1:D3, C2 and C3 get theirs written out.
  std::string out = Patch(kShared, {Value("C1", 1)});
  EXPECT_EQ(Formulas(out, {"D1", "C2", "C3", "D2", "D3"}),
            (Texts{"shared D1:D3 1|SUM($A1:B$3)", "  |SUM($A2:A$3)", "  |SUM($A3:A$3)",
                   "shared  1|", "shared  1|"}));

  // The whole first row of the range goes: the second row takes over.
  out = Patch(kShared, {Value("C1", 1), Value("D1", 2), Value("C2", 3)});
  EXPECT_EQ(Formulas(out, {"D2", "C3", "D3", "C2"}),
            (Texts{"shared D2:D3 1|SUM($A2:B$3)", "  |SUM($A3:A$3)", "shared  1|", ""}));

  // Later cells take only their own formula.
  std::vector<CellRef> removed;
  out = Patch(kShared, {Value("B2", 5), Value("D3", 6)}, &removed);
  EXPECT_EQ(Formulas(out, {"B1", "B2", "B3", "D3", "C3"}),
            (Texts{"shared B1:B3 0|A1*2+$A$1", "", "shared  0|", "", "shared  1|"}));
  EXPECT_EQ(removed.size(), 2u);

  // A group whose every cell is written leaves no formula.
  out = Patch(kShared, {Value("B1", 1), Value("B2", 2), Value("B3", 3)});
  EXPECT_EQ(Formulas(out, {"B1", "B2", "B3", "C1"}),
            (Texts{"", "", "", "shared C1:D3 1|SUM($A1:A$3)"}));
}

const std::string kBlocks =
    SheetXml("<row r=\"1\">" + Cell("A1", R"(<f t="array" ref="A1:A3">ROW(B1:B3)</f><v>1</v>)") +
             Cell("B1", R"(<f t="array" ref="B1">SUM(C1:C2*D1:D2)</f><v>1</v>)") +
             Cell("D1", R"(<f t="dataTable" ref="D1:E2" dt2D="0" dtr="0" r1="C1"/><v>1</v>)") +
             "</row>" + "<row r=\"2\">" + Cell("A2", "<v>2</v>") + "</row>");

TEST(PatchSheetBlocks, PartOfAnArrayOrADataTableIsRefusedNamingCellAndRange) {
  const struct {
    const char* cell;
    const char* range;
    const char* kind;
  } cases[] = {{"A1", "A1:A3", "配列数式"},        // the first cell
               {"A2", "A1:A3", "配列数式"},        // a stored cell
               {"A3", "A1:A3", "配列数式"},        // a cell not in the sheet part
               {"E2", "D1:E2", "データテーブル"},  // a cell in a row not in the part
               {"D1", "D1:E2", "データテーブル"}};
  for (const auto& c : cases) {
    const std::string why = Error321([&] { Patch(kBlocks, {Value(c.cell, 1)}); });
    EXPECT_TRUE(Contains(why, std::string("セル ") + c.cell)) << why;
    EXPECT_TRUE(Contains(why, c.range)) << why;
    EXPECT_TRUE(Contains(why, c.kind)) << why;
    EXPECT_TRUE(Contains(why, "book.xlsx")) << why;
  }
  // A one-cell array is the cell's own formula; cells beside the blocks are free, and a mark
  // alone changes only how an array's cell looks.
  const std::string out =
      Patch(kBlocks, {Value("B1", 5), Value("F1", 7), CellEdit{2, 1, std::nullopt, true},
                      Value("B2", 6), CellEdit{3, 1, std::nullopt, true}});
  EXPECT_EQ(Formulas(out, {"B1", "A1"}), (Texts{"", "array A1:A3 |ROW(B1:B3)"}));
  EXPECT_TRUE(Contains(out, R"(<c r="A3" s="0"/>)")) << out;
}

}  // namespace
}  // namespace ombrix::sheet::xlsx::testing
