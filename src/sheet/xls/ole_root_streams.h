#pragma once
// The streams of a compound file's root storage, read through libgsf, so a workbook can be
// written again with every stream it had. A sub-storage is refused (XlsFormatError,
// unsupported): WriteCompoundFile writes streams of the root only.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "sheet/xls/byte_span.h"

namespace ombrix::sheet::xls {

// In directory order. Throws XlsFormatError.
std::vector<std::pair<std::string, std::vector<std::uint8_t>>> ReadRootStreams(Bytes file);

}  // namespace ombrix::sheet::xls
