// CellStore: texts kept once however many cells show them, filled in after the cells, and the
// last record of a cell winning whichever way it was set.

#include "sheet/cell_store.h"

#include <gtest/gtest.h>

#include <vector>

namespace ombrix::sheet {
namespace {

TEST(CellStore, ATextShownByManyCellsCostsItsBytesOnce) {
  CellStore store;
  const std::string text(100'000, 'x');
  const std::uint32_t id = store.AddText(text);
  for (int r = 1; r <= 1000; ++r) {
    store.SetText(r, 2, id);
  }
  store.Finish();
  EXPECT_EQ(store.text_bytes(), 100'000u);
  EXPECT_LT(store.MemoryBytes(), 200'000u);
  EXPECT_EQ(store.Get(1, 2), CellValue::Text(text));
  EXPECT_EQ(store.Get(1000, 2), CellValue::Text(text));
}

TEST(CellStore, TextsFilledInLaterAndEmptyOnesReadAsEmpty) {
  CellStore store;
  const std::uint32_t later = store.AddText("");
  const std::uint32_t blank = store.AddText("");
  store.SetText(1, 1, later);
  store.SetText(2, 1, later);
  store.SetText(3, 1, blank);
  store.Set(4, 1, CellValue::Number(4));
  store.Finish();
  store.ReplaceText(later, "filled");
  EXPECT_EQ(store.text_bytes(), 6u);
  EXPECT_EQ(store.Get(2, 1), CellValue::Text("filled"));
  EXPECT_EQ(store.Get(3, 1), CellValue::Empty());
  std::vector<std::int32_t> rows;
  store.ForEach([&](std::int32_t row, std::int32_t, const CellValue&) { rows.push_back(row); });
  EXPECT_EQ(rows, (std::vector<std::int32_t>{1, 2, 4}));  // the empty text is no cell
}

TEST(CellStore, TheLastRecordOfACellWinsWhicheverWayItWasSet) {
  CellStore store;
  const std::uint32_t id = store.AddText("text");
  store.Set(3, 3, CellValue::Number(3));  // out of order: the store sorts
  store.Set(1, 1, CellValue::Number(1));
  store.SetText(1, 1, id);
  store.SetText(2, 2, id);
  store.Set(2, 2, CellValue::Number(2));
  store.Set(3, 3, CellValue::Number(4));
  store.Finish();
  EXPECT_EQ(store.size(), 3u);
  EXPECT_EQ(store.Get(3, 3), CellValue::Number(4));
  EXPECT_EQ(store.Get(1, 1), CellValue::Text("text"));
  EXPECT_EQ(store.Get(2, 2), CellValue::Number(2));
}

}  // namespace
}  // namespace ombrix::sheet
