#pragma once
// Excel writes characters that XML cannot carry (control characters, and "_x" itself when it
// could be misread) as _xHHHH_, one UTF-16 code unit each; this turns them back into UTF-8.

#include <string>
#include <string_view>

namespace ombrix::sheet::xlsx {

// "a_x000D_b" -> "a\rb"; "_x005F_x0041_" -> "_x0041_" (the escaped underscore ends the escape);
// a surrogate pair written as two escapes becomes one character; a lone surrogate becomes
// U+FFFD. Text without "_x" is returned unchanged.
std::string DecodeExcelEscapes(std::string_view text);

// Appends the UTF-8 form of `code_point` (U+FFFD for a surrogate or a value above U+10FFFF).
void AppendUtf8(std::string& out, char32_t code_point);

}  // namespace ombrix::sheet::xlsx
