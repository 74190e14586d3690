#include "sheet/xls/rk_number.h"

#include <cstring>

namespace ombrix::sheet::xls {

double DecodeRk(std::uint32_t rk) {
  double value;
  if ((rk & 0x02) != 0) {
    // Arithmetic shift of the signed 30-bit integer in the upper bits.
    const std::int32_t i = static_cast<std::int32_t>(rk) >> 2;
    value = static_cast<double>(i);
  } else {
    const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
    std::memcpy(&value, &bits, sizeof value);
  }
  if ((rk & 0x01) != 0) {
    value /= 100.0;
  }
  return value;
}

}  // namespace ombrix::sheet::xls
