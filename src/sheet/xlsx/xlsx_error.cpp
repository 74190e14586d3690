#include "sheet/xlsx/xlsx_error.h"

namespace ombrix::sheet::xlsx {

void ThrowNotWorkbook(const std::string& path, const std::string& detail) {
  throw RunError(err::kBadFileFormat,
                 "ファイル \"" + path + "\" は Excel のブックではありません: " + detail);
}

void ThrowBrokenPart(const std::string& path, const std::string& part, const std::string& detail) {
  throw RunError(err::kBadFileFormat,
                 "ファイル \"" + path + "\" の " + part + " が壊れています: " + detail);
}

std::string Excerpt(std::string_view text, std::size_t max_bytes) {
  if (text.size() <= max_bytes) {
    return std::string(text);
  }
  std::size_t cut = max_bytes;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
    --cut;  // do not split a UTF-8 sequence
  }
  return std::string(text.substr(0, cut)) + "...";
}

}  // namespace ombrix::sheet::xlsx
