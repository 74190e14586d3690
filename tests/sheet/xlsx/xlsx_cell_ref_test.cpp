// A1 references and row numbers inside the sheet's bounds.

#include "sheet/xlsx/cell_ref.h"

#include <gtest/gtest.h>

#include <utility>

namespace ombrix::sheet::xlsx {
namespace {

TEST(ParseCellRef, ColumnsAndRows) {
  const struct {
    const char* text;
    std::int32_t row, col;
  } cases[] = {{"A1", 1, 1},     {"H7", 7, 8},     {"Z9", 9, 26},
               {"AA10", 10, 27}, {"AT35", 35, 46}, {"XFD1048576", 1048576, 16384},
               {"h7", 7, 8}};
  for (const auto& c : cases) {
    const auto ref = ParseCellRef(c.text);
    ASSERT_TRUE(ref.has_value()) << c.text;
    EXPECT_EQ(std::pair(ref->row, ref->col), std::pair(c.row, c.col)) << c.text;
  }
}

TEST(ParseCellRef, OutsideTheSheetOrMalformed) {
  for (const char* bad : {"", "A", "1", "A0", "A01", "XFE1", "A1048577", "AAAA1", "A-1", "A1 ",
                          "$A$1", "A1B", "A99999999999"}) {
    EXPECT_EQ(ParseCellRef(bad).has_value(), false) << bad;
  }
}

TEST(ParseRowNumber, Bounds) {
  EXPECT_EQ(ParseRowNumber("1"), 1);
  EXPECT_EQ(ParseRowNumber("1048576"), 1048576);
  EXPECT_EQ(ParseRowNumber("1048577"), std::nullopt);
  EXPECT_EQ(ParseRowNumber("0"), std::nullopt);
  EXPECT_EQ(ParseRowNumber("+3"), std::nullopt);
  EXPECT_EQ(ParseRowNumber("3.0"), std::nullopt);
}

}  // namespace
}  // namespace ombrix::sheet::xlsx
