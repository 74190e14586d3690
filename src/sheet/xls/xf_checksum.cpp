#include "sheet/xls/xf_checksum.h"

#include <array>

namespace ombrix::sheet::xls {
namespace {

constexpr std::uint32_t kGenerator = 0xAF;

constexpr std::array<std::uint32_t, 256> MakeTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t value = i << 24;
    for (int bit = 0; bit < 8; ++bit) {
      value = (value & 0x80000000u) != 0 ? (value << 1) ^ kGenerator : value << 1;
    }
    table[i] = value;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> kTable = MakeTable();

}  // namespace

std::uint32_t XfChecksum(std::uint32_t crc, Bytes data) {
  for (const std::uint8_t byte : data) {
    crc = (crc << 8) ^ kTable[(crc >> 24) ^ byte];
  }
  return crc;
}

}  // namespace ombrix::sheet::xls
