#include "sheet/written_cells_check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "sheet/xlsx/error_expect.h"

namespace ombrix::sheet {
namespace {

using xlsx::testing::Contains;
using xlsx::testing::Error321;

using Cells = std::vector<std::tuple<int, int, CellValue>>;

CellStore Store(const Cells& cells, const Cells& changes = {}) {
  CellStore store;
  for (const Cells* list : {&cells, &changes})
    for (const auto& [row, col, value] : *list)
      store.Set(row, col, value);
  store.Finish();
  return store;
}

TEST(WrittenCellsCheck, AcceptsOnlyTheOldCellsWithTheNewNumbersAndNamesTheFirstThatDiffers) {
  const Cells before = {{1, 1, CellValue::Text("title")},
                        {6, 7, CellValue::Number(3)},
                        {6, 8, CellValue::Boolean(true)},
                        {7, 7, CellValue::Number(-0.0)},
                        {8, 8, CellValue::Number(std::nan(""))}};
  // The last of two edits of a cell counts; a mark without a number changes no value; a
  // written zero may read back as either zero; numbers compare by their bits (NaN = NaN).
  const std::vector<CellEdit> edits = {
      {6, 7, 4.0, false}, {6, 7, 5.0, true}, {6, 8, std::nullopt, true}, {9, 9, -0.0, false}};
  const auto check = [&](const Cells& changes) {
    CheckWrittenCells(Store(before), Store(before, changes), edits, "/d/m.xls", "シート \"S\" ");
  };
  const std::tuple<int, int, CellValue> g6{6, 7, CellValue::Number(5)},
      i9{9, 9, CellValue::Number(0)};
  EXPECT_NO_THROW(check({g6, i9}));
  const std::pair<Cells, std::string> cases[] = {
      {{i9}, "G6 が 5 ではなく 3"},  // the old value came back
      // another cell changed, went missing, or appeared
      {{g6, i9, {1, 1, CellValue::Text("b")}}, "A1 が 文字列 \"title\""},
      {{g6, i9, {1, 1, CellValue::Empty()}}, "A1 が 文字列 \"title\" ではなく 空"},
      {{g6, i9, {2, 2, CellValue::Number(1)}}, "B2 が 空 ではなく 1"}};
  for (const auto& [changes, says] : cases) {
    const std::string d = Error321([&] { check(changes); });
    EXPECT_TRUE(Contains(d, "/d/m.xls") && Contains(d, "シート \"S\" のセル " + says) &&
                Contains(d, "元のファイルはそのまま"))
        << d;
  }
}

TEST(WrittenMarksCheck, AsksOnceForEachMarkedCellAndNamesTheFirstThatIsNotGrey) {
  // A mark given twice, a mark without a number, and an edit without a mark (not asked about).
  const std::vector<CellEdit> edits = {
      {7, 8, 1.0, true}, {6, 7, 2.0, false}, {6, 9, std::nullopt, true}, {7, 8, 3.0, true}};
  MarkQuery marks = MarksToCheck(edits);
  ASSERT_EQ(marks.cells().size(), 2u);
  EXPECT_TRUE(marks.cells()[0].row == 6 && marks.cells()[0].col == 9);
  EXPECT_TRUE(marks.cells()[1].row == 7 && marks.cells()[1].col == 8);

  const std::vector<bool> grey_format_1 = {false, true};
  marks.NoteFormat(6, 9, 1);
  marks.NoteFormat(7, 8, 1);
  marks.Resolve(grey_format_1);
  EXPECT_NO_THROW(CheckWrittenMarks(marks, "/d/m.xlsx", "シート \"S\" "));

  // H7 read again with a format beyond the table: the later record counts, and is no mark.
  marks.NoteFormat(7, 8, 2);
  marks.Resolve(grey_format_1);
  const std::string d = Error321([&] { CheckWrittenMarks(marks, "/d/m.xlsx", "シート \"S\" "); });
  EXPECT_TRUE(Contains(d, "/d/m.xlsx") && Contains(d, "シート \"S\" のセル H7") &&
              Contains(d, "灰色の印") && Contains(d, "元のファイルはそのまま"))
      << d;
}

}  // namespace
}  // namespace ombrix::sheet
