#pragma once
// A read position in a record and its CONTINUE pieces (segments). Plain reads run across
// segment boundaries; character reads follow the BIFF8 rule that a CONTINUE which goes on
// with a string's characters starts with a new option byte (bit 0: 16-bit characters).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sheet/xls/biff_record_reader.h"

namespace ombrix::sheet::xls {

class SegmentCursor {
 public:
  // `what` names the record in error messages. The segments must stay alive.
  SegmentCursor(const std::vector<BiffSegment>& segments, const char* what)
      : segments_(segments), what_(what) {}

  std::uint8_t ReadU8();
  std::uint16_t ReadU16();
  std::uint32_t ReadU32();
  // Skips `count` bytes across segment boundaries (rich-text runs, phonetic data).
  void Skip(std::uint64_t count);
  // Appends `count` characters as UTF-8, starting in 16-bit (`wide`) or 8-bit (Latin-1)
  // characters; at each further segment the width is read again from its first byte.
  void ReadChars(std::uint32_t count, bool wide, std::string& utf8);

  // True when every byte of every segment has been read.
  bool AtEnd();
  std::size_t segment_index() const { return seg_; }
  std::size_t offset_in_segment() const { return pos_; }

 private:
  // Moves to the next segment when the current one is used up; false when none is left.
  bool Advance();
  [[noreturn]] void Truncated() const;

  const std::vector<BiffSegment>& segments_;
  const char* what_;
  std::size_t seg_ = 0;
  std::size_t pos_ = 0;
};

// Appends one code point as UTF-8 (invalid ones as U+FFFD).
void AppendUtf8(std::uint32_t code_point, std::string& out);

}  // namespace ombrix::sheet::xls
