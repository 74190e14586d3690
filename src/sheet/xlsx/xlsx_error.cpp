#include "sheet/xlsx/xlsx_error.h"

#include "model/quoted_text.h"

namespace ombrix::sheet::xlsx {

void ThrowNotWorkbook(const std::string& path, const std::string& detail) {
  throw RunError(err::kBadFileFormat,
                 "ファイル \"" + path + "\" は Excel のブックではありません: " + detail);
}

void ThrowBrokenPart(const std::string& path, const std::string& part, const std::string& detail) {
  throw RunError(err::kBadFileFormat,
                 "ファイル \"" + path + "\" の " + part + " が壊れています: " + detail);
}

std::string Excerpt(std::string_view text, std::size_t max_chars) {
  return QuotedText(text, max_chars);
}

}  // namespace ombrix::sheet::xlsx
