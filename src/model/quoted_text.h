#pragma once
// Text from a file quoted inside a one-line message: whatever the file held, the quote is valid
// UTF-8, holds no line break and stays short.

#include <cstddef>
#include <string>
#include <string_view>

namespace ombrix {

inline constexpr std::size_t kQuotedTextMaxChars = 60;

// At most `max_chars` characters of `text`, "…" after when it was longer; a line break (CR, LF,
// CR LF, NEL, U+2028, U+2029) shows as "↵", a tab as a space, any other control character and
// every byte that is not part of valid UTF-8 as U+FFFD.
std::string QuotedText(std::string_view text, std::size_t max_chars = kQuotedTextMaxChars);

// The whole of `text` made one valid UTF-8 line the same way: for an error description as it
// leaves the program, whatever a path or a library put into it.
inline std::string OneLine(std::string_view text) {
  return QuotedText(text, std::string_view::npos);
}

}  // namespace ombrix
