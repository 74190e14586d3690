#include "model/quoted_text.h"

#include <cstdint>

namespace ombrix {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kLineBreak = "\xE2\x86\xB5";    // U+21B5

// Length of the well-formed UTF-8 sequence at text[at], or 0 when the bytes there are not one
// (overlong forms, surrogates and code points past U+10FFFF included).
std::size_t SequenceLength(std::string_view text, std::size_t at, char32_t& code) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  char32_t min = 0;
  if (lead < 0x80) {
    code = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (at + length > text.size()) {
    return 0;
  }
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(k) & 0xC0) != 0x80) {
      return 0;
    }
    code = (code << 6) | (byte(k) & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    return 0;
  }
  return length;
}

}  // namespace

std::string QuotedText(std::string_view text, std::size_t max_chars) {
  std::string out;
  std::size_t chars = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    if (chars == max_chars) {
      return out + "…";
    }
    char32_t code = 0;
    const std::size_t length = SequenceLength(text, at, code);
    if (length == 0) {
      out += kReplacement;
      at += 1;
    } else if (code == U'\r' || code == U'\n' || code == 0x85 || code == 0x2028 || code == 0x2029) {
      out += kLineBreak;
      // CR LF is one break.
      at += code == U'\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : length;
    } else if (code == U'\t') {
      out += ' ';
      at += 1;
    } else if (code < 0x20 || (code >= 0x7F && code < 0xA0)) {
      out += kReplacement;
      at += length;
    } else {
      out.append(text.substr(at, length));
      at += length;
    }
    ++chars;
  }
  return out;
}

}  // namespace ombrix
