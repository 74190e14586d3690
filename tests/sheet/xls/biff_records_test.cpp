// The BIFF8 record layer on hand-built bytes: RK numbers, record iteration, reads across
// CONTINUE records, BIFF8 strings, the shared-string table, and which XF records show the mark.

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "sheet/xls/biff_record_reader.h"
#include "sheet/xls/biff_string.h"
#include "sheet/xls/mark_fill.h"
#include "sheet/xls/rk_number.h"
#include "sheet/xls/segment_cursor.h"
#include "sheet/xls/shared_strings.h"
#include "sheet/xls/xls_format_error.h"
#include "sheet/xls/xls_test_helpers.h"

namespace ombrix::sheet::xls {
namespace {

using testing::Bof;
using testing::ByteVec;
using testing::Eof;
using testing::Le;
using testing::Record;

std::uint32_t RkOfDouble(double d) {
  std::uint64_t bits;
  std::memcpy(&bits, &d, 8);
  return static_cast<std::uint32_t>(bits >> 32);
}

TEST(RkNumber, AllFourEncodings) {
  const std::pair<std::uint32_t, double> cases[] = {
      {(12345u << 2) | 0x2, 12345.0}, {(static_cast<std::uint32_t>(-5) << 2) | 0x2, -5.0},
      {(12345u << 2) | 0x3, 123.45},  {(static_cast<std::uint32_t>(-250) << 2) | 0x3, -2.5},
      {RkOfDouble(-2.5), -2.5},       {RkOfDouble(1234.0) | 0x1, 12.34},
  };
  for (const auto& [rk, value] : cases) {
    EXPECT_EQ(DecodeRk(rk), value) << std::hex << rk;
  }
}

TEST(BiffRecordReader, IteratesRecordsWithOffsetsAndCollectsContinues) {
  Le s;
  s.bytes(Record(0x0809, {1, 2, 3, 4})).bytes(Record(0x00FC, {1, 2})).bytes(Record(0x003C, {3}));
  s.bytes(Record(0x003C, {4, 5})).bytes(Record(0x000A, {}));
  BiffRecordReader reader(s.b, 0);
  BiffRecord r;
  std::vector<std::tuple<int, std::uint32_t, std::size_t>> records;
  std::vector<BiffSegment> segments;
  while (reader.Next(r)) {
    records.emplace_back(r.type, r.offset, r.body.size());
    if (r.type == 0x00FC)
      reader.ReadContinues(r, segments);
  }
  const std::vector<std::tuple<int, std::uint32_t, std::size_t>> want = {
      {0x0809, 0, 4}, {0x00FC, 8, 2}, {0x000A, 25, 0}};
  EXPECT_EQ(records, want);
  ASSERT_EQ(segments.size(), 3u);
  EXPECT_EQ(segments[1].offset, 14u);
  EXPECT_EQ(segments[2].offset, 19u);
}

TEST(BiffRecordReader, TruncatedRecordsThrow) {
  ByteVec header = Record(0x000A, {});
  header.insert(header.end(), {0x09, 0x08, 0x10});
  BiffRecordReader reader(header, 0);
  BiffRecord r;
  ASSERT_TRUE(reader.Next(r));
  EXPECT_THROW(reader.Next(r), XlsFormatError);

  ByteVec body = Record(0x0203, ByteVec(14, 0));
  body.pop_back();
  try {
    BiffRecordReader(body, 0).Next(r);
    ADD_FAILURE();
  } catch (const XlsFormatError& e) {
    EXPECT_NE(std::string(e.what()).find("0x0203"), std::string::npos) << e.what();
  }
  const ByteVec eof = Record(0x000A, {});
  EXPECT_THROW(BiffRecordReader(eof, 5), XlsFormatError);
}

std::vector<BiffSegment> Segments(const std::vector<ByteVec>& pieces) {
  std::vector<BiffSegment> out;
  for (const ByteVec& p : pieces)
    out.push_back({0, Bytes(p)});
  return out;
}

TEST(SegmentCursor, PlainReadsCrossBoundaries) {
  const std::vector<ByteVec> pieces{{0x01, 0x02, 0x03}, {0x04, 0x05}};
  const auto segs = Segments(pieces);
  SegmentCursor c(segs, "TEST");
  EXPECT_EQ(c.ReadU32(), 0x04030201u);
  EXPECT_EQ(c.ReadU8(), 0x05);
  EXPECT_TRUE(c.AtEnd());
  EXPECT_THROW(c.ReadU8(), XlsFormatError);
  SegmentCursor skip(segs, "TEST");
  EXPECT_THROW(skip.Skip(6), XlsFormatError);
}

std::string String(const std::vector<ByteVec>& pieces, CountSize count = CountSize::k16Bit,
                   bool flags = true) {
  const auto segs = Segments(pieces);
  SegmentCursor c(segs, "TEST");
  std::string s;
  ReadBiffString(c, count, flags, s);
  return s;
}

TEST(BiffString, Latin1Utf16AndSurrogates) {
  EXPECT_EQ(String({Le().u16(3).u8(0).u8('a').u8(0xE9).u8(0xFF).b}), "a\u00E9\u00FF");
  EXPECT_EQ(String({Le().u16(2).u8(1).utf16(u"日本").b}), "日本");
  EXPECT_EQ(String({Le().u8(4).u8(0).latin1("mesh").b}, CountSize::k8Bit, false), "mesh");
  // U+1F600 as D83D DE00: the high half ends the first piece, the low half starts the next.
  EXPECT_EQ(String({Le().u16(3).u8(1).u16('x').u16(0xD83D).b, Le().u8(1).u16(0xDE00).b}),
            "x\U0001F600");
  EXPECT_EQ(String({Le().u16(2).u8(1).u16(0xDC00).u16('y').b}), "\uFFFDy");  // lone surrogate
}

TEST(BiffString, TruncatedStringsThrow) {
  EXPECT_THROW(String({Le().u16(10).u8(0).latin1("abc").b}), XlsFormatError);
  // An odd byte left of a 16-bit character at the end of a piece.
  EXPECT_THROW(String({Le().u16(2).u8(1).u16('a').u8('b').b, Le().u8(1).u16('c').b}),
               XlsFormatError);
}

// The shared-string table: strings split across CONTINUE records (with a new option byte and
// possibly a new character width), rich-text runs and phonetic data spanning pieces, counts.
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
      // "Hello" with 2 rich-text runs and 10 bytes of phonetic data: the runs end in the second
      // piece, the phonetic data starts there and ends in the third; none of that carries an
      // option byte. Then "next".
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
  try {
    Parse({Le().u32(5).u32(5).u16(1).u8(0).latin1("a").u16(1).u8(0).latin1("b").b});
    FAIL();
  } catch (const XlsFormatError& e) {
    EXPECT_NE(std::string(e.what()).find("SST"), std::string::npos);
  }
  EXPECT_THROW(Parse({Le().u32(0xFFFFFFFF).u32(0xFFFFFFFF).u16(1).u8(0).latin1("a").b}),
               XlsFormatError);
  EXPECT_THROW(Parse({Le().u32(1).u32(1).u16(1).u8(0x04).u32(0xFFFFFFF0).latin1("a").b}),
               XlsFormatError);
  EXPECT_THROW(Parse({Le().u32(1).b}), XlsFormatError);
}

// Which XF records show the mark: a solid pattern in colour index 23 without an extended
// format, counted in the globals only. An XF body with the word at 14 (borders, XFEXT flag, fill
// pattern) and the pattern's foreground and background colours at 18.
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
  const ByteVec whole = Xf(1, 23);
  EXPECT_FALSE(IsMarkXf(Bytes(whole).first(19)));
}

TEST(XlsMarkFill, CountsTheXfRecordsOfTheGlobalsInOrder) {
  const ByteVec globals_part = [] {
    Le s;
    s.bytes(Bof(0x0005))
        .bytes(Record(0x00E0, Xf(0, 0)))
        .bytes(Record(0x0031, ByteVec(16, 0)))  // a FONT between them
        .bytes(Record(0x00E0, Xf(1, 23)))
        .bytes(Record(0x00E0, Xf(1, 22)));
    return s.b;
  }();
  Le s;
  s.bytes(globals_part).bytes(Eof());
  s.bytes(Bof(0x0010)).bytes(Record(0x00E0, Xf(1, 23))).bytes(Eof());
  WorkbookGlobals globals;
  globals.eof_offset = static_cast<std::uint32_t>(globals_part.size());
  EXPECT_EQ(MarkedXfs(s.b, globals), (std::vector<bool>{false, true, false}));
}

}  // namespace
}  // namespace ombrix::sheet::xls
