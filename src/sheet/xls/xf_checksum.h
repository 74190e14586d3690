#pragma once
// The checksum an XFCRC record keeps over the bodies of the XF records: a 32-bit CRC, most
// significant bit first, generator 0xAF, starting from 0, nothing inverted at the end. An
// application that understands the extended formats (XFEXT) only trusts them while the count
// and this checksum still match the XF table.

#include <cstdint>

#include "sheet/xls/byte_span.h"

namespace ombrix::sheet::xls {

// Continues `crc` over `data`; XfChecksum(XfChecksum(0, a), b) is the checksum of a then b.
std::uint32_t XfChecksum(std::uint32_t crc, Bytes data);

}  // namespace ombrix::sheet::xls
