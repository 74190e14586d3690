// Which XF records show the mark: a solid pattern in colour index 23 without an extended
// format, counted in the globals only.

#include "sheet/xls/mark_fill.h"

#include <gtest/gtest.h>

#include <vector>

#include "sheet/xls/xls_test_helpers.h"

namespace ombrix::sheet::xls {
namespace {

using namespace testing;  // NOLINT

// An XF body with the word at 14 (borders, XFEXT flag, fill pattern) and the pattern's
// foreground and background colours at 18.
ByteVec Xf(std::uint32_t pattern, std::uint32_t fore, bool xf_ext = false,
           std::uint32_t border_colours = 0x1234, std::uint32_t back = 64) {
  Le b;
  b.u16(0).u16(0).u16(0x0001).u8(0x20).u8(0).u8(0).u8(0x40).u32(0);
  b.u32((pattern << 26) | (xf_ext ? 1u << 25 : 0u) | border_colours);
  b.u16(fore | (back << 7));
  return b.b;
}

TEST(XlsMarkFill, OnlyASolidPatternInColour23WithoutXfExtMarks) {
  EXPECT_TRUE(IsMarkXf(Xf(1, 23)));
  EXPECT_TRUE(IsMarkXf(Xf(1, 23, false, 0x01FFFFFF)));  // any border colours
  EXPECT_FALSE(IsMarkXf(Xf(1, 22)));
  EXPECT_FALSE(IsMarkXf(Xf(1, 64, false, 0, 23)));  // 23 as the background colour only
  EXPECT_TRUE(IsMarkXf(Xf(1, 23, false, 0, 23)));
  EXPECT_FALSE(IsMarkXf(Xf(0, 23)));
  EXPECT_FALSE(IsMarkXf(Xf(2, 23)));
  EXPECT_FALSE(IsMarkXf(Xf(1, 23, true)));
  EXPECT_FALSE(IsMarkXf(Bytes(Xf(1, 23)).first(19)));
}

TEST(XlsMarkFill, CountsTheXfRecordsOfTheGlobalsInOrder) {
  Le s;
  s.bytes(Bof(0x0005))
      .bytes(Record(0x00E0, Xf(0, 0)))
      .bytes(Record(0x0031, ByteVec(16, 0)))  // a FONT between them
      .bytes(Record(0x00E0, Xf(1, 23)))
      .bytes(Record(0x00E0, Xf(1, 22)));
  WorkbookGlobals globals;
  globals.eof_offset = static_cast<std::uint32_t>(s.b.size());
  s.bytes(Eof()).bytes(Bof(0x0010)).bytes(Record(0x00E0, Xf(1, 23))).bytes(Eof());
  EXPECT_EQ(MarkedXfs(s.b, globals), (std::vector<bool>{false, true, false}));
}

}  // namespace
}  // namespace ombrix::sheet::xls
