// The shared-string table: strings split across CONTINUE records (with a new option byte and
// possibly a new character width), rich-text runs and phonetic data spanning pieces, counts.

#include "sheet/xls/shared_strings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sheet/xls/xls_format_error.h"
#include "sheet/xls/xls_test_helpers.h"

namespace ombrix::sheet::xls {
namespace {

using namespace testing;  // NOLINT

std::vector<std::string> Parse(const std::vector<ByteVec>& pieces) {
  return ParseSharedStrings(Segments(pieces));
}

TEST(SharedStrings, StringsSplitAcrossContinues) {
  const struct {
    std::vector<ByteVec> pieces;
    std::vector<std::string> want;
  } cases[] = {
      {{Le().u32(3).u32(3).u16(2).u8(0).latin1("ab").u16(0).u8(0).u16(1).u8(1).utf16(u"\u00FC").b},
       {"ab", "", "\u00FC"}},
      {{Le().u32(2).u32(2).u16(8).u8(0).latin1("ABCDEF").b,
        Le().u8(1).utf16(u"日本").u16(1).u8(0).latin1("z").b},
       {"ABCDEF日本", "z"}},
      {{Le().u32(1).u32(1).u16(4).u8(1).utf16(u"日本").b, Le().u8(0).latin1("ok").b}, {"日本ok"}},
      {{Le().u32(1).u32(1).u16(5).u8(0).latin1("a").b, Le().u8(1).utf16(u"b").b,
        Le().u8(0).latin1("cd").b, Le().u8(1).utf16(u"\u00E9").b},
       {"abcd\u00E9"}},
      // The header fills the first piece; the CONTINUE still begins with the option byte.
      {{Le().u32(1).u32(1).u16(2).u8(0).b, Le().u8(1).utf16(u"xy").b}, {"xy"}},
      // A string starting a CONTINUE has no extra option byte.
      {{Le().u32(2).u32(2).u16(1).u8(0).latin1("a").b, Le().u16(1).u8(0).latin1("b").b},
       {"a", "b"}},
      // "Hello" with 2 rich-text runs ending in the second piece and 10 bytes of phonetic data
      // ending in the third, none with an option byte; then "next".
      {{Le().u32(2).u32(2).u16(5).u8(0x0C).u16(2).u32(10).latin1("Hel").b,
        Le().u8(0).latin1("lo").u16(1).u16(2).u16(3).u16(4).u32(0x09090909).b,
        Le().u32(0x09090909).u16(0x0909).u16(4).u8(0).latin1("next").b},
       {"Hello", "next"}},
      // Rich-text runs split in the middle of a run.
      {{Le().u32(2).u32(2).u16(2).u8(0x08).u16(1).latin1("ab").u8(7).u8(7).b,
        Le().u8(7).u8(7).u16(1).u8(1).utf16(u"c").b},
       {"ab", "c"}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(Parse(cases[i].pieces), cases[i].want) << "case " << i;
  }
}

TEST(SharedStrings, CountsBeyondTheBytesThrow) {
  const std::string why = BrokenError(
      [] { Parse({Le().u32(5).u32(5).u16(1).u8(0).latin1("a").u16(1).u8(0).latin1("b").b}); });
  EXPECT_NE(why.find("SST"), std::string::npos) << why;
  EXPECT_THROW(Parse({Le().u32(0xFFFFFFFF).u32(0xFFFFFFFF).u16(1).u8(0).latin1("a").b}),
               XlsFormatError);
  EXPECT_THROW(Parse({Le().u32(1).u32(1).u16(1).u8(0x04).u32(0xFFFFFFF0).latin1("a").b}),
               XlsFormatError);
  EXPECT_THROW(Parse({Le().u32(1).b}), XlsFormatError);
}

}  // namespace
}  // namespace ombrix::sheet::xls
