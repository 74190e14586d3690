#pragma once
// BIFF8 record iteration over a workbook stream. A record is a 4-byte header (type, length)
// and its body; a record longer than 8224 bytes goes on in CONTINUE records. The reader keeps
// each record's position in the stream so a later writer can patch records in place.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sheet/xls/byte_span.h"

namespace ombrix::sheet::xls {

namespace rec {
inline constexpr std::uint16_t kFormula = 0x0006;
inline constexpr std::uint16_t kEof = 0x000A;
inline constexpr std::uint16_t kFilePass = 0x002F;
inline constexpr std::uint16_t kContinue = 0x003C;
inline constexpr std::uint16_t kWindow1 = 0x003D;
inline constexpr std::uint16_t kBoundSheet = 0x0085;
inline constexpr std::uint16_t kMulRk = 0x00BD;
inline constexpr std::uint16_t kMulBlank = 0x00BE;
inline constexpr std::uint16_t kRString = 0x00D6;
inline constexpr std::uint16_t kSst = 0x00FC;
inline constexpr std::uint16_t kLabelSst = 0x00FD;
inline constexpr std::uint16_t kBlank = 0x0201;
inline constexpr std::uint16_t kNumber = 0x0203;
inline constexpr std::uint16_t kLabel = 0x0204;
inline constexpr std::uint16_t kBoolErr = 0x0205;
inline constexpr std::uint16_t kString = 0x0207;
inline constexpr std::uint16_t kRk = 0x027E;
inline constexpr std::uint16_t kShrFmla = 0x04BC;
inline constexpr std::uint16_t kArray = 0x0221;
inline constexpr std::uint16_t kTable = 0x0236;
// BOF records of BIFF2, BIFF3, BIFF4 and BIFF5/7/8.
inline constexpr std::uint16_t kBof2 = 0x0009;
inline constexpr std::uint16_t kBof3 = 0x0209;
inline constexpr std::uint16_t kBof4 = 0x0409;
inline constexpr std::uint16_t kBof = 0x0809;
}  // namespace rec

inline constexpr std::size_t kRecordHeaderSize = 4;
inline constexpr std::size_t kMaxRecordBody = 8224;

struct BiffRecord {
  std::uint16_t type = 0;
  std::uint32_t offset = 0;  // position of the record's header in the stream
  Bytes body;                // the record's data (without header)
};

// One piece of a record that CONTINUE records extend: the first record's body, then the
// body of each CONTINUE, each with the stream position of its header.
struct BiffSegment {
  std::uint32_t offset = 0;
  Bytes body;
};

class BiffRecordReader {
 public:
  // Reads the records of `stream` from `start` on. The stream must stay alive.
  BiffRecordReader(Bytes stream, std::size_t start);

  // The next record, or false at the end of the stream. A header or body that runs past the
  // stream throws XlsFormatError.
  bool Next(BiffRecord& record);
  // The type of the next record without reading it; false at the end of the stream or when
  // fewer than 4 bytes remain.
  bool PeekType(std::uint16_t& type) const;
  // Reads the CONTINUE records right after `first` and returns first's body followed by theirs.
  void ReadContinues(const BiffRecord& first, std::vector<BiffSegment>& segments);

  std::size_t position() const { return pos_; }
  Bytes stream() const { return stream_; }

 private:
  Bytes stream_;
  std::size_t pos_;
};

}  // namespace ombrix::sheet::xls
