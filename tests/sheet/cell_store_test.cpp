#include "sheet/cell_store.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

namespace ombrix::sheet {
namespace {

TEST(CellStore, ATextIsKeptOnceFilledInLaterAndTheLastRecordOfACellWins) {
  CellStore store;
  const std::string text(100'000, 'x');
  const std::uint32_t id = store.AddText(text);
  const std::uint32_t later = store.AddText("");
  const std::uint32_t blank = store.AddText("");
  store.Set(1, 2, CellValue::Number(7));  // replaced by the text below
  for (int r = 1; r <= 1000; ++r)
    store.SetText(r, 2, id);
  store.SetText(1, 1, later);  // out of order from here: the store sorts
  store.SetText(2, 1, later);
  store.SetText(3, 1, blank);
  store.Set(4, 1, CellValue::Number(3));
  store.Set(4, 1, CellValue::Number(4));
  store.SetText(5, 1, id);
  store.Set(5, 1, CellValue::Number(5));
  store.Finish();
  store.ReplaceText(later, "filled");
  EXPECT_EQ(store.text_bytes(), 100'006u);
  EXPECT_LT(store.MemoryBytes(), 200'000u);
  EXPECT_EQ(store.Get(1, 2), CellValue::Text(text));
  EXPECT_EQ(store.Get(1000, 2), CellValue::Text(text));
  EXPECT_EQ(store.Get(2, 1), CellValue::Text("filled"));
  EXPECT_EQ(store.Get(3, 1), CellValue::Empty());
  EXPECT_EQ(store.Get(4, 1), CellValue::Number(4));
  EXPECT_EQ(store.Get(5, 1), CellValue::Number(5));
  int cells = 0;
  store.ForEach([&](std::int32_t, std::int32_t, const CellValue&) { ++cells; });
  EXPECT_EQ(cells, 1004);  // one a place; the empty text is no cell
}

TEST(CellStore, EveryValueKeepsItsKindAndBitsAtTheCornersOfASheet) {
  const double denormal = std::numeric_limits<double>::denorm_min();
  const std::vector<std::tuple<std::int32_t, std::int32_t, CellValue>> cells = {
      {1, 1, CellValue::Number(-0.0)},
      {1, 2, CellValue::Boolean(true)},
      {2, 1, CellValue::Error("#DIV/0!")},
      {65536, 256, CellValue::Number(-denormal)},
      {1048576, 16383, CellValue::Text("x")},
      {1048576, 16384, CellValue::Number(1.5e308)},
      {2147483647, 536870911, CellValue::Boolean(false)},
  };
  CellStore store;
  store.Reserve(cells.size());
  for (auto it = cells.rbegin(); it != cells.rend(); ++it)
    store.Set(std::get<0>(*it), std::get<1>(*it), std::get<2>(*it));
  store.Set(7, 536870912, CellValue::Number(9));  // beyond any sheet: not kept
  store.Finish();
  EXPECT_LE(store.MemoryBytes(), 16 * cells.size() + 3 * sizeof(std::string));
  std::vector<std::tuple<std::int32_t, std::int32_t, CellValue>> seen;
  store.ForEach([&](std::int32_t row, std::int32_t col, CellValue value) {
    seen.emplace_back(row, col, std::move(value));
  });
  EXPECT_EQ(seen, cells);  // in order
  EXPECT_EQ(store.size(), cells.size());
  for (const auto& [row, col, value] : cells)
    EXPECT_EQ(store.Get(row, col), value) << row << "," << col;
  EXPECT_TRUE(std::signbit(store.Get(1, 1).number));  // -0 == 0 above
  EXPECT_EQ(store.Get(1, 3), CellValue::Empty());
  EXPECT_EQ(store.Get(65537, 256), CellValue::Empty());
  EXPECT_EQ(store.Get(7, 536870912), CellValue::Empty());
  EXPECT_EQ(store.Get(0, 1), CellValue::Empty());
}

}  // namespace
}  // namespace ombrix::sheet
