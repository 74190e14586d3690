#pragma once
// Bounds-checked little-endian reads from a byte range. Every read checks the bytes really
// present and throws XlsFormatError (broken) otherwise; nothing reads past the range.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "sheet/xls/xls_format_error.h"

namespace ombrix::sheet::xls {

using Bytes = std::span<const std::uint8_t>;

// `what` names the structure in the error message.
inline void CheckRange(Bytes data, std::size_t offset, std::size_t count, const char* what) {
  if (offset > data.size() || count > data.size() - offset) {
    ThrowBroken(std::string(what) + " が途中で切れています (" + std::to_string(offset + count) +
                " バイト必要、" + std::to_string(data.size()) + " バイトしかありません)");
  }
}

inline std::uint8_t U8(Bytes data, std::size_t offset, const char* what) {
  CheckRange(data, offset, 1, what);
  return data[offset];
}

inline std::uint16_t U16(Bytes data, std::size_t offset, const char* what) {
  CheckRange(data, offset, 2, what);
  return static_cast<std::uint16_t>(data[offset] | (data[offset + 1] << 8));
}

inline std::uint32_t U32(Bytes data, std::size_t offset, const char* what) {
  CheckRange(data, offset, 4, what);
  return static_cast<std::uint32_t>(data[offset]) |
         (static_cast<std::uint32_t>(data[offset + 1]) << 8) |
         (static_cast<std::uint32_t>(data[offset + 2]) << 16) |
         (static_cast<std::uint32_t>(data[offset + 3]) << 24);
}

inline std::uint64_t U64(Bytes data, std::size_t offset, const char* what) {
  CheckRange(data, offset, 8, what);
  return static_cast<std::uint64_t>(U32(data, offset, what)) |
         (static_cast<std::uint64_t>(U32(data, offset + 4, what)) << 32);
}

// An IEEE 754 double stored little-endian.
inline double F64(Bytes data, std::size_t offset, const char* what) {
  const std::uint64_t bits = U64(data, offset, what);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// "0x00FC" for messages.
inline std::string Hex16(std::uint16_t v) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string s = "0x0000";
  for (int i = 0; i < 4; ++i) {
    s[5 - i] = kDigits[(v >> (4 * i)) & 0xF];
  }
  return s;
}

}  // namespace ombrix::sheet::xls
