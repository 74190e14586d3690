#include "sheet/xls/biff_string.h"

namespace ombrix::sheet::xls {

void ReadBiffString(SegmentCursor& cursor, CountSize count_size, bool rich, std::string& utf8) {
  utf8.clear();
  const std::uint32_t count = count_size == CountSize::k16Bit ? cursor.ReadU16() : cursor.ReadU8();
  const std::uint8_t options = cursor.ReadU8();
  std::uint32_t runs = 0;
  std::uint32_t phonetic_bytes = 0;
  if (rich && (options & 0x08) != 0) {
    runs = cursor.ReadU16();
  }
  if (rich && (options & 0x04) != 0) {
    phonetic_bytes = cursor.ReadU32();
  }
  cursor.ReadChars(count, (options & 0x01) != 0, utf8);
  cursor.Skip(static_cast<std::uint64_t>(runs) * 4 + phonetic_bytes);
}

}  // namespace ombrix::sheet::xls
