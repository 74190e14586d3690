#include "sheet/xls/shared_strings.h"

#include <algorithm>

#include "sheet/read_limits.h"
#include "sheet/xls/biff_string.h"
#include "sheet/xls/segment_cursor.h"
#include "sheet/xls/xls_format_error.h"

namespace ombrix::sheet::xls {

std::vector<std::string> ParseSharedStrings(const std::vector<BiffSegment>& segments) {
  SegmentCursor cursor(segments, "SST");
  cursor.ReadU32();  // total number of references to the strings, not needed
  const std::uint32_t unique = cursor.ReadU32();
  if (unique > kMaxSharedStrings) {
    ThrowUnsupported("共有文字列 (SST) が " + std::to_string(unique) + " 個あり、上限の " +
                     std::to_string(kMaxSharedStrings) + " 個を超えています");
  }
  std::size_t bytes = 0;
  for (const BiffSegment& s : segments) {
    bytes += s.body.size();
  }
  // Every string takes at least 3 bytes, so the bytes bound what is worth reserving.
  std::vector<std::string> strings;
  strings.reserve(std::min<std::size_t>(unique, bytes / 3));
  for (std::uint32_t i = 0; i < unique; ++i) {
    if (cursor.AtEnd()) {
      ThrowBroken("SST は " + std::to_string(unique) + " 個の文字列を宣言していますが、" +
                  std::to_string(i) + " 個しかありません");
    }
    strings.emplace_back();
    ReadBiffString(cursor, CountSize::k16Bit, /*rich=*/true, strings.back());
  }
  return strings;
}

}  // namespace ombrix::sheet::xls
