#pragma once
// RK numbers: 30 bits of a value plus two flags. Bit 1 set: the value is a signed 30-bit
// integer, else the upper 30 bits of an IEEE double (the low 34 bits zero). Bit 0 set: the
// value is divided by 100.

#include <cstdint>

namespace ombrix::sheet::xls {

double DecodeRk(std::uint32_t rk);

}  // namespace ombrix::sheet::xls
