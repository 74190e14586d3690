#include "sheet/xls/segment_cursor.h"

namespace ombrix::sheet::xls {

void AppendUtf8(std::uint32_t cp, std::string& out) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    cp = 0xFFFD;
  }
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void SegmentCursor::Truncated() const {
  ThrowBroken(std::string(what_) + " レコードが途中で切れています (CONTINUE を含めて " +
              std::to_string(segments_.size()) + " 個の断片)");
}

bool SegmentCursor::Advance() {
  while (seg_ < segments_.size() && pos_ >= segments_[seg_].body.size()) {
    if (seg_ + 1 == segments_.size()) {
      return false;
    }
    ++seg_;
    pos_ = 0;
  }
  return seg_ < segments_.size();
}

bool SegmentCursor::AtEnd() {
  return !Advance();
}

std::uint8_t SegmentCursor::ReadU8() {
  if (!Advance()) {
    Truncated();
  }
  return segments_[seg_].body[pos_++];
}

std::uint16_t SegmentCursor::ReadU16() {
  const std::uint16_t lo = ReadU8();
  return static_cast<std::uint16_t>(lo | (ReadU8() << 8));
}

std::uint32_t SegmentCursor::ReadU32() {
  const std::uint32_t lo = ReadU16();
  return lo | (static_cast<std::uint32_t>(ReadU16()) << 16);
}

void SegmentCursor::Skip(std::uint64_t count) {
  while (count > 0) {
    if (!Advance()) {
      Truncated();
    }
    const std::size_t avail = segments_[seg_].body.size() - pos_;
    const std::size_t step = count < avail ? static_cast<std::size_t>(count) : avail;
    pos_ += step;
    count -= step;
  }
}

void SegmentCursor::ReadChars(std::uint32_t count, bool wide, std::string& utf8) {
  std::uint32_t pending_high = 0;  // a high surrogate waiting for its low half
  while (count > 0) {
    if (seg_ >= segments_.size()) {
      Truncated();
    }
    if (pos_ >= segments_[seg_].body.size()) {
      // The characters go on in the next CONTINUE, which starts with the option byte.
      if (seg_ + 1 >= segments_.size()) {
        Truncated();
      }
      ++seg_;
      pos_ = 0;
      if (segments_[seg_].body.empty()) {
        Truncated();
      }
      wide = (segments_[seg_].body[pos_++] & 0x01) != 0;
    }
    const Bytes body = segments_[seg_].body;
    const std::size_t avail_bytes = body.size() - pos_;
    if (wide) {
      std::size_t avail = avail_bytes / 2;
      if (avail == 0) {
        // A lone byte cannot hold a 16-bit character: the piece is broken.
        ThrowBroken(std::string(what_) + " の 16 ビット文字が CONTINUE の境目で割れています");
      }
      if (avail > count) {
        avail = count;
      }
      for (std::size_t i = 0; i < avail; ++i) {
        const std::uint32_t unit = body[pos_] | (body[pos_ + 1] << 8);
        pos_ += 2;
        if (pending_high != 0) {
          if (unit >= 0xDC00 && unit <= 0xDFFF) {
            AppendUtf8(0x10000 + ((pending_high - 0xD800) << 10) + (unit - 0xDC00), utf8);
            pending_high = 0;
            continue;
          }
          AppendUtf8(0xFFFD, utf8);
          pending_high = 0;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
          pending_high = unit;
        } else {
          AppendUtf8(unit, utf8);
        }
      }
      count -= static_cast<std::uint32_t>(avail);
    } else {
      std::size_t avail = avail_bytes < count ? avail_bytes : count;
      if (pending_high != 0) {
        AppendUtf8(0xFFFD, utf8);
        pending_high = 0;
      }
      for (std::size_t i = 0; i < avail; ++i) {
        const std::uint8_t c = body[pos_++];
        if (c < 0x80) {
          utf8.push_back(static_cast<char>(c));
        } else {
          utf8.push_back(static_cast<char>(0xC0 | (c >> 6)));
          utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
      }
      count -= static_cast<std::uint32_t>(avail);
    }
  }
  if (pending_high != 0) {
    AppendUtf8(0xFFFD, utf8);
  }
}

}  // namespace ombrix::sheet::xls
