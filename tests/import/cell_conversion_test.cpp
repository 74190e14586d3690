#include "import/cell_conversion.h"

#include <gtest/gtest.h>

#include "fakes/error_capture.h"

#include "model/run_error.h"

namespace ombrix {
namespace {

// What each kind of cell becomes is checked through the mesh import; here only refusals.
TEST(CellConversion, RefusalsNameTheCell) {
  const RunError e = ErrorOf([] { CellToDouble(CellValue::Text("12\n34 \xff"), 6, 7); });
  EXPECT_EQ(e.number(), err::kTypeMismatch);
  EXPECT_EQ(e.description(), "セル G6 の値 \"12↵34 \uFFFD\" は数値ではありません。");
  const RunError f = ErrorOf([] { CellToDouble(CellValue::Error("#DIV/0!"), 2, 11); });
  EXPECT_EQ(f.number(), err::kTypeMismatch);
  EXPECT_EQ(f.description(), "セル K2 はエラー値 #DIV/0! で、数値ではありません。");
  const RunError g = ErrorOf([] { CellToLong(CellValue::Number(3e9), 3, 6); });
  EXPECT_EQ(g.number(), err::kOverflow);
  EXPECT_EQ(g.description(), "セル F3 の値 3e+09 は 32 ビット整数の範囲外です。");
}

}  // namespace
}  // namespace ombrix
