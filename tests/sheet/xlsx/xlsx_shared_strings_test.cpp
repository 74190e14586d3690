// The shared-string table: the whole table read, only the wanted items decoded, and the
// texts filled into the cells that show them.

#include "sheet/xlsx/shared_strings.h"

#include <gtest/gtest.h>

#include <utility>

#include "error_expect.h"

namespace ombrix::sheet::xlsx::testing {
namespace {

// Runs joined past their properties, phonetic readings skipped, escapes decoded, blanks kept,
// prefixed names: the table whole.
TEST(SharedStrings, ReadWholeTheTableHoldsEveryItem) {
  const std::string table =
      R"(<x:sst xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
      R"(<x:si><x:t>a_x000D_b</x:t></x:si><x:si><x:r><x:rPr><x:b/></x:rPr><x:t>r</x:t></x:r>)"
      R"(<x:r><x:t>un</x:t></x:r><x:rPh><x:t>ラン</x:t></x:rPh></x:si><x:si/>)"
      R"(<x:si><x:t xml:space="preserve">   </x:t></x:si></x:sst>)";
  EXPECT_EQ(ReadSharedStrings(table, "f.xlsx", "xl/sharedStrings.xml"),
            (std::vector<std::string>{"a\rb", "run", "", "   "}));
  EXPECT_TRUE(
      Contains(Error321([] { ReadSharedStrings("<other/>", "f.xlsx", "xl/s.xml"); }), "other"));
}

const std::string kTable =
    "<sst><si><t>zero</t></si><si><r><t>o</t></r><r><t>ne</t></r><rPh><t>ワン</t></rPh></si>"
    "<si><t>two</t></si><si/><si><t>four</t></si></sst>";

TEST(SharedStrings, FillKeepsTheUsedTextsAndNamesTheFirstCellPastTheEnd) {
  CellStore cells;
  SharedStringUses uses;
  uses[1] = {cells.AddText(""), 3, 1};  // runs joined, its phonetic reading skipped
  uses[0] = {cells.AddText(""), 1, 1};
  cells.SetText(3, 1, uses[1].text_id);
  cells.SetText(4, 1, uses[1].text_id);
  cells.SetText(1, 1, uses[0].text_id);
  cells.Finish();
  FillSharedStrings(kTable, "f.xlsx", "xl/s.xml", "xl/sheet.xml", uses, 1000, cells);
  EXPECT_EQ(cells.Get(1, 1), CellValue::Text("zero"));
  EXPECT_EQ(cells.Get(4, 1), CellValue::Text("one"));
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
}  // namespace ombrix::sheet::xlsx::testing
