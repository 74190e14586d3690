#include "import/cell_conversion.h"

#include <gtest/gtest.h>

#include "fakes/error_capture.h"

#include "model/run_error.h"

namespace ombrix {
namespace {

TEST(CellConversion, NumbersTextsAndBooleansBecomeDoubles) {
  EXPECT_EQ(CellToDouble(CellValue::Empty(), 1, 1), 0.0);
  EXPECT_EQ(CellToDouble(CellValue::Number(-2.5), 1, 1), -2.5);
  EXPECT_EQ(CellToDouble(CellValue::Text(" 7.25 "), 1, 1), 7.25);
  EXPECT_EQ(CellToDouble(CellValue::Boolean(true), 1, 1), -1.0);
}

TEST(CellConversion, TextThatIsNotANumberNamesTheCell) {
  const RunError e = ErrorOf([] { CellToDouble(CellValue::Text("abc"), 7, 8); });
  EXPECT_EQ(e.number(), err::kTypeMismatch);
  EXPECT_EQ(e.description(), "セル H7 の値 \"abc\" は数値ではありません。");
  const RunError f = ErrorOf([] { CellToDouble(CellValue::Error("#DIV/0!"), 2, 11); });
  EXPECT_EQ(f.number(), err::kTypeMismatch);
  EXPECT_EQ(f.description(), "セル K2 はエラー値 #DIV/0! で、数値ではありません。");
}

TEST(CellConversion, WholeNumbersRoundHalvesToEvenAndOverflow) {
  EXPECT_EQ(CellToLong(CellValue::Number(2.5), 3, 6), 2);
  EXPECT_EQ(CellToLong(CellValue::Number(3.5), 3, 6), 4);
  EXPECT_EQ(CellToLong(CellValue::Text("4"), 3, 6), 4);
  const RunError e = ErrorOf([] { CellToLong(CellValue::Number(3e9), 3, 6); });
  EXPECT_EQ(e.number(), err::kOverflow);
  EXPECT_NE(e.description().find("F3"), std::string::npos);
}

TEST(CellConversion, BlankMeansEmptyOrEmptyText) {
  EXPECT_TRUE(CellIsBlank(CellValue::Empty()));
  EXPECT_TRUE(CellIsBlank(CellValue::Text("")));
  EXPECT_FALSE(CellIsBlank(CellValue::Text(" ")));
  EXPECT_FALSE(CellIsBlank(CellValue::Number(0)));
}

}  // namespace
}  // namespace ombrix
