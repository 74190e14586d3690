#include "model/numeric.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "model/quoted_text.h"
#include "model/run_error.h"

namespace ombrix {
namespace {

// Rounds half to even and checks the result against [lo, hi]; NaN fails the check.
double RoundChecked(double value, double lo, double hi, const char* what) {
  const double rounded = std::nearbyint(value);  // default rounding mode: to nearest, ties even
  if (!(rounded >= lo && rounded <= hi)) {
    throw RunError(err::kOverflow, std::string("オーバーフローしました: ") + NumberText(value) +
                                       " は" + what + "の範囲外です。");
  }
  return rounded;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Parses a plain decimal literal (sign, digits, point, exponent) with no blanks in it.
// Returns false when the literal has no digit in its mantissa.
bool ParseLiteral(std::string_view literal, double& out) {
  std::string_view body = literal;
  bool negative = false;
  if (!body.empty() && (body.front() == '+' || body.front() == '-')) {
    negative = body.front() == '-';
    body.remove_prefix(1);
  }
  if (body.empty()) {
    return false;
  }
  double magnitude = 0;
  const auto result = std::from_chars(body.data(), body.data() + body.size(), magnitude,
                                      std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // A negative exponent means the value is too small for a double: it reads as zero.
    const std::size_t e = body.find_first_of("eE");
    if (e != std::string_view::npos && e + 1 < body.size() && body[e + 1] == '-') {
      out = negative ? -0.0 : 0.0;
      return true;
    }
    throw RunError(err::kOverflow,
                   "オーバーフローしました: " + std::string(literal) + " は実数の範囲外です。");
  }
  if (result.ec != std::errc() || result.ptr != body.data() + body.size()) {
    return false;
  }
  out = negative ? -magnitude : magnitude;
  return true;
}

// Length of the longest prefix of `s` that has the shape of a decimal literal.
std::size_t LiteralLength(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    ++i;
  }
  std::size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) {
    ++i;
    ++digits;
  }
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) {
      ++i;
      ++digits;
    }
  }
  if (digits == 0) {
    return 0;
  }
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
      ++j;
    }
    if (j < s.size() && IsDigit(s[j])) {
      while (j < s.size() && IsDigit(s[j])) {
        ++j;
      }
      i = j;
    }
  }
  return i;
}

}  // namespace

std::int32_t ToLongChecked(double value) {
  return static_cast<std::int32_t>(
      RoundChecked(value, -2147483648.0, 2147483647.0, "32 ビット整数"));
}

std::int16_t ToInteger16(double value) {
  return static_cast<std::int16_t>(RoundChecked(value, -32768.0, 32767.0, "16 ビット整数"));
}

double IntegerPart(double value) {
  return std::floor(value);
}

double LeadingNumber(std::string_view text) {
  // Blanks are ignored wherever they stand, so "- 1 2" reads as -12.
  std::string compact;
  compact.reserve(text.size());
  for (char c : text) {
    if (!IsBlank(c)) {
      compact += c;
    }
  }
  const std::size_t length = LiteralLength(compact);
  double value = 0;
  if (length == 0 || !ParseLiteral(std::string_view(compact).substr(0, length), value)) {
    return 0;
  }
  return value;
}

double TextToNumber(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsBlank(text[first])) {
    ++first;
  }
  while (last > first && IsBlank(text[last - 1])) {
    --last;
  }
  const std::string_view body = text.substr(first, last - first);
  double value = 0;
  if (body.empty() || LiteralLength(body) != body.size() || !ParseLiteral(body, value)) {
    throw RunError(err::kTypeMismatch,
                   "型が一致しません: \"" + QuotedText(text) + "\" は数値として読めません。");
  }
  return value;
}

std::string RealText(double value) {
  char buffer[64];
  // -0 is not negative: it prints as "0".
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value == 0 ? 0.0 : value);
  return std::string(buffer, result.ptr);
}

std::string NumberText(double value) {
  const bool negative = value < 0 || (std::isnan(value) && std::signbit(value));
  const double magnitude = std::fabs(value);
  char buffer[400];
  buffer[0] = ' ';
  // Fixed notation without a precision is still the shortest round trip, just never with an
  // exponent: 100000 stays "100000" where the general form would write "1e+05".
  const std::chars_format form =
      magnitude == 0 || (magnitude >= 1e-4 && magnitude < 1e15) || !std::isfinite(value)
          ? std::chars_format::fixed
          : std::chars_format::scientific;
  const auto result =
      std::to_chars(buffer + 1, buffer + sizeof buffer, value == 0 ? 0.0 : value, form);
  return negative ? std::string(buffer + 1, result.ptr) : std::string(buffer, result.ptr);
}

std::string FormatFixed12(double value) {
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.12f", value);
  return buffer;
}

}  // namespace ombrix

namespace ombrix {

double CheckedDivide(double a, double b, const char* what) {
  if (b == 0) {
    if (a == 0 || std::isnan(a)) {
      throw RunError(err::kOverflow,
                     std::string("オーバーフローしました: ") + what + " が 0 ÷ 0 になります。");
    }
    throw RunError(err::kDivisionByZero,
                   std::string("0 で除算しました: ") + what + " の分母が 0 です。");
  }
  return a / b;
}

}  // namespace ombrix
