// What an .xls may claim and what reading it costs: a shared string shown by many cells is kept
// once; more sheets or shared strings than the caps are refused in one line naming the file.

#include <gtest/gtest.h>

#include "../xlsx/error_expect.h"
#include "sheet/read_limits.h"
#include "sheet/xls/xls_reader.h"
#include "xls_test_helpers.h"

namespace ombrix::sheet {
namespace {

using xls::testing::ByteVec;
using xls::testing::CompoundFile;
using xls::testing::LabelSst;
using xls::testing::SheetSpec;
using xls::testing::Sst;
using xls::testing::WorkbookStream;
using xlsx::testing::Contains;
using xlsx::testing::Error321;

TEST(XlsReadLimits, AStringShownByManyCellsIsKeptOnce) {
  const std::string long_text(8000, 'q');
  ByteVec cells;
  for (int i = 0; i < 2000; ++i) {
    const ByteVec c = LabelSst(i / 100, i % 100, i % 2);
    cells.insert(cells.end(), c.begin(), c.end());
  }
  const auto book = ReadXlsBytes(
      CompoundFile(WorkbookStream(Sst({long_text, "short"}), {{"data", cells}})), "k.xls");
  EXPECT_EQ(book->Cell(1, 1), CellValue::Text(long_text));
  EXPECT_EQ(book->Cell(1, 2), CellValue::Text("short"));
  EXPECT_EQ(book->Cell(20, 100), CellValue::Text("short"));
  EXPECT_EQ(book->cells().size(), 2000u);
  // One copy of the long text, not one per cell (2,000 copies would be 16 MB).
  EXPECT_LT(book->cells().MemoryBytes(), 200'000u);
}

TEST(XlsReadLimits, MoreSheetsThanTheCapAreRefused) {
  std::vector<SheetSpec> sheets(kMaxSheets + 1);
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    sheets[i].name = "S" + std::to_string(i);
  }
  const std::string why =
      Error321([&] { ReadXlsBytes(CompoundFile(WorkbookStream(Sst({"x"}), sheets)), "many.xls"); });
  EXPECT_TRUE(Contains(why, "\"many.xls\" は読み込めません")) << why;
  EXPECT_TRUE(Contains(why, "シートが上限の 65535 枚を超えています")) << why;

  sheets.resize(kMaxSheets);  // exactly the cap is read
  EXPECT_EQ(
      ReadXlsBytes(CompoundFile(WorkbookStream(Sst({"x"}), sheets)), "cap.xls")->ActiveSheetName(),
      "S0");
}

TEST(XlsReadLimits, AnSstClaimingMoreStringsThanTheCapIsRefusedBeforeReadingThem) {
  const ByteVec sheet = LabelSst(0, 0, 0);
  const std::string why = Error321([&] {
    ReadXlsBytes(CompoundFile(WorkbookStream(Sst({"x"}, kMaxSharedStrings + 1), {{"d", sheet}})),
                 "sst.xls");
  });
  EXPECT_TRUE(Contains(why, "\"sst.xls\" は読み込めません")) << why;
  EXPECT_TRUE(Contains(why, "16777217 個あり、上限の 16777216 個を超えています")) << why;
}

}  // namespace
}  // namespace ombrix::sheet
