// _xHHHH_ escapes decoded the way Excel writes them.

#include "sheet/xlsx/excel_escapes.h"

#include <gtest/gtest.h>

namespace ombrix::sheet::xlsx {
namespace {

TEST(DecodeExcelEscapes, ControlCharactersAndLetters) {
  EXPECT_EQ(DecodeExcelEscapes("a_x000D_b_x0009_c"), "a\rb\tc");
  EXPECT_EQ(DecodeExcelEscapes("_x0041__x0042_"), "AB");
  EXPECT_EQ(DecodeExcelEscapes("_x3042_"), "\xE3\x81\x82");
  EXPECT_EQ(DecodeExcelEscapes("_x00e9_"), "\xC3\xA9");
}

TEST(DecodeExcelEscapes, EscapedUnderscoreEndsTheEscape) {
  EXPECT_EQ(DecodeExcelEscapes("_x005F_x0041_"), "_x0041_");
}

TEST(DecodeExcelEscapes, NearMissesStayAsWritten) {
  EXPECT_EQ(DecodeExcelEscapes("_x004_"), "_x004_");
  EXPECT_EQ(DecodeExcelEscapes("_x00G1_"), "_x00G1_");
  EXPECT_EQ(DecodeExcelEscapes("_X0041_"), "_X0041_");
  EXPECT_EQ(DecodeExcelEscapes("_x0041"), "_x0041");
  EXPECT_EQ(DecodeExcelEscapes("plain text"), "plain text");
}

TEST(DecodeExcelEscapes, SurrogatePairsJoinAndLoneSurrogatesAreReplaced) {
  EXPECT_EQ(DecodeExcelEscapes("_xD83D__xDE00_"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(DecodeExcelEscapes("_xD83D_x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(DecodeExcelEscapes("_xDE00_"), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace ombrix::sheet::xlsx
