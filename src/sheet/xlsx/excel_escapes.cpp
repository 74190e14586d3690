#include "sheet/xlsx/excel_escapes.h"

#include <optional>

namespace ombrix::sheet::xlsx {
namespace {

// The code unit of an escape "_xHHHH_" starting at text[at], if there is one.
std::optional<char16_t> EscapeAt(std::string_view text, std::size_t at) {
  if (at + 7 > text.size() || text[at] != '_' || text[at + 1] != 'x' || text[at + 6] != '_') {
    return std::nullopt;
  }
  unsigned value = 0;
  for (std::size_t i = at + 2; i < at + 6; ++i) {
    const char c = text[i];
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
    value = value * 16 + digit;
  }
  return static_cast<char16_t>(value);
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
    cp = 0xFFFD;
  }
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string DecodeExcelEscapes(std::string_view text) {
  if (text.find("_x") == std::string_view::npos) {
    return std::string(text);
  }
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::optional<char16_t> unit = EscapeAt(text, i);
    if (!unit) {
      out += text[i];
      ++i;
      continue;
    }
    i += 7;
    if (*unit >= 0xD800 && *unit <= 0xDBFF) {
      const std::optional<char16_t> low = EscapeAt(text, i);
      if (low && *low >= 0xDC00 && *low <= 0xDFFF) {
        i += 7;
        AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(*unit) - 0xD800) << 10) +
                            (static_cast<char32_t>(*low) - 0xDC00));
        continue;
      }
    }
    AppendUtf8(out, *unit);
  }
  return out;
}

}  // namespace ombrix::sheet::xlsx
