#pragma once
// Writes an OLE2 compound file holding the given streams, through libgsf's GsfOutfileMSOle.
// The reader's tests wrap hand-built workbook streams with it (so they need no libgsf header
// of their own); the write-back of a later task can build on it.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ombrix::sheet::xls {

// Streams in the root storage, by name. Throws std::runtime_error when libgsf fails.
std::vector<std::uint8_t> WriteCompoundFile(
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& streams);

}  // namespace ombrix::sheet::xls
