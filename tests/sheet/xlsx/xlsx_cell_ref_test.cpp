// A1 references and row numbers inside the sheet's bounds.

#include "sheet/xlsx/cell_ref.h"

#include <gtest/gtest.h>

namespace ombrix::sheet::xlsx {
namespace {

void ExpectRef(std::string_view text, std::int32_t row, std::int32_t col) {
  const auto ref = ParseCellRef(text);
  ASSERT_TRUE(ref.has_value()) << text;
  EXPECT_EQ(ref->row, row) << text;
  EXPECT_EQ(ref->col, col) << text;
}

TEST(ParseCellRef, ColumnsAndRows) {
  ExpectRef("A1", 1, 1);
  ExpectRef("H7", 7, 8);
  ExpectRef("Z9", 9, 26);
  ExpectRef("AA10", 10, 27);
  ExpectRef("AT35", 35, 46);
  ExpectRef("XFD1048576", 1048576, 16384);
  ExpectRef("h7", 7, 8);
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
