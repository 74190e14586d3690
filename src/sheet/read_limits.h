#pragma once
// What a workbook may ask of the readers. A small file can claim a great deal (very many sheets,
// millions of strings, one long string shown by a million cells); these caps keep what reading
// costs tied to the work, and a file beyond them is refused with a message saying which cap.

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace ombrix::sheet {

// More sheets than a workbook's own sheet references can address.
inline constexpr std::size_t kMaxSheets = 65535;
// Shared strings in one table, used or not.
inline constexpr std::size_t kMaxSharedStrings = std::size_t{1} << 24;

// The text kept for the active sheet's cells, each distinct text counted once: 64 times the
// file's size, at most 256 MiB.
inline std::size_t MaxTextBytes(std::uint64_t file_bytes) {
  constexpr std::uint64_t kCeiling = std::uint64_t{256} * 1024 * 1024;
  return static_cast<std::size_t>(std::min(kCeiling, file_bytes * 64));
}

}  // namespace ombrix::sheet
