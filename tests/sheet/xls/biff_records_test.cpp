// The BIFF8 record layer: RK numbers, record iteration, reads across CONTINUE records and
// BIFF8 strings, on hand-built bytes.

#include <gtest/gtest.h>

#include <cstring>

#include "sheet/xls/biff_record_reader.h"
#include "sheet/xls/biff_string.h"
#include "sheet/xls/rk_number.h"
#include "sheet/xls/segment_cursor.h"
#include "sheet/xls/xls_format_error.h"
#include "sheet/xls/xls_test_helpers.h"

namespace ombrix::sheet::xls {
namespace {

using testing::ByteVec;
using testing::Le;
using testing::Record;

std::uint32_t RkOfDouble(double d) {
  std::uint64_t bits;
  std::memcpy(&bits, &d, 8);
  return static_cast<std::uint32_t>(bits >> 32);
}

TEST(RkNumber, Integer) {
  EXPECT_EQ(DecodeRk((12345u << 2) | 0x2), 12345.0);
  EXPECT_EQ(DecodeRk(0x2), 0.0);
}

TEST(RkNumber, NegativeInteger) {
  EXPECT_EQ(DecodeRk((static_cast<std::uint32_t>(-5) << 2) | 0x2), -5.0);
  // The smallest 30-bit integer.
  EXPECT_EQ(DecodeRk(0x80000002u), -536870912.0);
}

TEST(RkNumber, IntegerTimes100) {
  EXPECT_EQ(DecodeRk((12345u << 2) | 0x3), 123.45);
  EXPECT_EQ(DecodeRk((static_cast<std::uint32_t>(-250) << 2) | 0x3), -2.5);
}

TEST(RkNumber, Double) {
  EXPECT_EQ(DecodeRk(RkOfDouble(1.5)), 1.5);
  EXPECT_EQ(DecodeRk(RkOfDouble(-2.5)), -2.5);
  EXPECT_EQ(DecodeRk(RkOfDouble(8589934592.0)), 8589934592.0);  // 2^33
}

TEST(RkNumber, DoubleTimes100) {
  EXPECT_EQ(DecodeRk(RkOfDouble(1234.0) | 0x1), 12.34);
  EXPECT_EQ(DecodeRk(RkOfDouble(-1234.0) | 0x1), -12.34);
}

TEST(BiffRecordReader, IteratesRecordsWithOffsets) {
  Le s;
  s.bytes(Record(0x0809, {1, 2, 3, 4})).bytes(Record(0x000A, {}));
  BiffRecordReader reader(s.b, 0);
  BiffRecord r;
  ASSERT_TRUE(reader.Next(r));
  EXPECT_EQ(r.type, 0x0809);
  EXPECT_EQ(r.offset, 0u);
  EXPECT_EQ(r.body.size(), 4u);
  ASSERT_TRUE(reader.Next(r));
  EXPECT_EQ(r.type, 0x000A);
  EXPECT_EQ(r.offset, 8u);
  EXPECT_FALSE(reader.Next(r));
}

TEST(BiffRecordReader, TruncatedHeaderThrows) {
  ByteVec s = Record(0x000A, {});
  s.push_back(0x09);
  s.push_back(0x08);
  s.push_back(0x10);
  BiffRecordReader reader(s, 0);
  BiffRecord r;
  ASSERT_TRUE(reader.Next(r));
  EXPECT_THROW(reader.Next(r), XlsFormatError);
}

TEST(BiffRecordReader, LengthPastStreamThrows) {
  ByteVec s = Record(0x0203, ByteVec(14, 0));
  s.resize(s.size() - 1);
  BiffRecordReader reader(s, 0);
  BiffRecord r;
  try {
    reader.Next(r);
    FAIL();
  } catch (const XlsFormatError& e) {
    EXPECT_NE(std::string(e.what()).find("0x0203"), std::string::npos) << e.what();
  }
}

TEST(BiffRecordReader, StartOutsideStreamThrows) {
  const ByteVec s = Record(0x000A, {});
  EXPECT_THROW(BiffRecordReader(s, 5), XlsFormatError);
}

TEST(BiffRecordReader, ReadContinuesCollectsPieces) {
  Le s;
  s.bytes(Record(0x00FC, {1, 2})).bytes(Record(0x003C, {3})).bytes(Record(0x003C, {4, 5}));
  s.bytes(Record(0x000A, {}));
  BiffRecordReader reader(s.b, 0);
  BiffRecord r;
  ASSERT_TRUE(reader.Next(r));
  std::vector<BiffSegment> segments;
  reader.ReadContinues(r, segments);
  ASSERT_EQ(segments.size(), 3u);
  EXPECT_EQ(segments[1].offset, 6u);
  EXPECT_EQ(segments[2].offset, 11u);
  ASSERT_TRUE(reader.Next(r));
  EXPECT_EQ(r.type, 0x000A);
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
}

TEST(SegmentCursor, SkipPastEndThrows) {
  const std::vector<ByteVec> pieces{{1, 2}, {3}};
  const auto segs = Segments(pieces);
  SegmentCursor c(segs, "TEST");
  EXPECT_THROW(c.Skip(4), XlsFormatError);
}

TEST(BiffString, Latin1AndUtf16) {
  const std::vector<ByteVec> pieces{
      Le().u16(3).u8(0).u8('a').u8(0xE9).u8(0xFF).u16(2).u8(1).utf16(u"日本").b};
  const auto segs = Segments(pieces);
  SegmentCursor c(segs, "TEST");
  std::string s;
  ReadBiffString(c, CountSize::k16Bit, true, s);
  EXPECT_EQ(s, "a\u00E9\u00FF");
  ReadBiffString(c, CountSize::k16Bit, true, s);
  EXPECT_EQ(s, "日本");
}

TEST(BiffString, SurrogatePairSplitAcrossContinue) {
  // U+1F600 as D83D DE00: the high half ends the first piece, the low half starts the next.
  const std::vector<ByteVec> pieces{Le().u16(3).u8(1).u16('x').u16(0xD83D).b,
                                    Le().u8(1).u16(0xDE00).b};
  const auto segs = Segments(pieces);
  SegmentCursor c(segs, "TEST");
  std::string s;
  ReadBiffString(c, CountSize::k16Bit, true, s);
  EXPECT_EQ(s, "x\U0001F600");
}

TEST(BiffString, LoneSurrogateBecomesReplacementCharacter) {
  const std::vector<ByteVec> pieces{Le().u16(2).u8(1).u16(0xDC00).u16('y').b};
  const auto segs = Segments(pieces);
  SegmentCursor c(segs, "TEST");
  std::string s;
  ReadBiffString(c, CountSize::k16Bit, true, s);
  EXPECT_EQ(s, "\uFFFDy");
}

TEST(BiffString, ShortStringOfBoundSheet) {
  const std::vector<ByteVec> pieces{Le().u8(4).u8(0).latin1("mesh").b};
  const auto segs = Segments(pieces);
  SegmentCursor c(segs, "TEST");
  std::string s;
  ReadBiffString(c, CountSize::k8Bit, false, s);
  EXPECT_EQ(s, "mesh");
}

TEST(BiffString, CharactersPastEndThrow) {
  const std::vector<ByteVec> pieces{Le().u16(10).u8(0).latin1("abc").b};
  const auto segs = Segments(pieces);
  SegmentCursor c(segs, "TEST");
  std::string s;
  EXPECT_THROW(ReadBiffString(c, CountSize::k16Bit, true, s), XlsFormatError);
}

TEST(BiffString, OddByteOf16BitCharacterThrows) {
  const std::vector<ByteVec> pieces{Le().u16(2).u8(1).u16('a').u8('b').b, Le().u8(1).u16('c').b};
  const auto segs = Segments(pieces);
  SegmentCursor c(segs, "TEST");
  std::string s;
  EXPECT_THROW(ReadBiffString(c, CountSize::k16Bit, true, s), XlsFormatError);
}

}  // namespace
}  // namespace ombrix::sheet::xls
