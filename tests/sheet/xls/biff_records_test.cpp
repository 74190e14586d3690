// The BIFF8 record layer on hand-built bytes: RK numbers, record iteration, reads across
// CONTINUE records and BIFF8 strings.

#include <gtest/gtest.h>

#include <bit>
#include <tuple>

#include "sheet/xls/biff_record_reader.h"
#include "sheet/xls/biff_string.h"
#include "sheet/xls/rk_number.h"
#include "sheet/xls/segment_cursor.h"
#include "sheet/xls/xls_format_error.h"
#include "sheet/xls/xls_test_helpers.h"

namespace ombrix::sheet::xls {
namespace {

using namespace testing;  // NOLINT

// The top 32 bits of a double, as an RK stores them.
std::uint32_t RkOfDouble(double d) {
  return static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(d) >> 32);
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
  const std::string why = BrokenError([&] { BiffRecordReader(body, 0).Next(r); });
  EXPECT_NE(why.find("0x0203"), std::string::npos) << why;
  EXPECT_THROW(BiffRecordReader(Record(0x000A, {}), 5), XlsFormatError);
}

TEST(SegmentCursor, PlainReadsCrossBoundaries) {
  const std::vector<ByteVec> pieces{{0x01, 0x02, 0x03}, {0x04, 0x05}};
  const auto segs = Segments(pieces);
  SegmentCursor c(segs, "TEST");
  EXPECT_EQ(c.ReadU32(), 0x04030201u);
  EXPECT_EQ(c.ReadU8(), 0x05);
  EXPECT_TRUE(c.AtEnd());
  EXPECT_THROW(c.ReadU8(), XlsFormatError);
  EXPECT_THROW(SegmentCursor(segs, "TEST").Skip(6), XlsFormatError);
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

}  // namespace
}  // namespace ombrix::sheet::xls
