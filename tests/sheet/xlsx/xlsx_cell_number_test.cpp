// Numbers read exactly as the nearest double, in every form writers use.

#include "sheet/xlsx/cell_number.h"

#include <gtest/gtest.h>

#include <limits>

namespace ombrix::sheet::xlsx {
namespace {

TEST(ParseCellNumber, FormsWritersUseReadAsTheNearestDouble) {
  EXPECT_EQ(ParseCellNumber("1.5"), 1.5);
  EXPECT_EQ(ParseCellNumber("-3"), -3.0);
  EXPECT_EQ(ParseCellNumber("1E-006"), 1e-06);
  EXPECT_EQ(ParseCellNumber("1e-06"), 1e-06);
  EXPECT_EQ(ParseCellNumber("4.4270500000000002E4"), 44270.5);
  EXPECT_EQ(ParseCellNumber(".5"), 0.5);
  EXPECT_EQ(ParseCellNumber("+2"), 2.0);
  EXPECT_EQ(ParseCellNumber(" \n7\t"), 7.0);
  // Exactly the nearest double.
  EXPECT_EQ(ParseCellNumber("0.1"), 0.1);
  EXPECT_EQ(ParseCellNumber("3.8333333333333335"), 3.8333333333333335);
  EXPECT_EQ(ParseCellNumber("3.83333333333333"), 3.83333333333333);
  EXPECT_EQ(ParseCellNumber("1.7976931348623157E308"), std::numeric_limits<double>::max());
  EXPECT_EQ(ParseCellNumber("2.2250738585072014e-308"), std::numeric_limits<double>::min());
  // Halfway between two doubles: round to even, not truncate.
  EXPECT_EQ(ParseCellNumber("9007199254740993"), 9007199254740992.0);
  EXPECT_EQ(ParseCellNumber("9007199254740995"), 9007199254740996.0);
}

TEST(ParseCellNumber, RefusesWhatNoCellHolds) {
  for (const char* bad : {"", " ", "abc", "1,5", "1.5x", "inf", "nan", "-inf", "1e400", "0x10",
                          "--1", "+-1", "++1", "1e", "."}) {
    EXPECT_EQ(ParseCellNumber(bad), std::nullopt) << bad;
  }
}

}  // namespace
}  // namespace ombrix::sheet::xlsx
