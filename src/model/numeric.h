#pragma once
// The numeric rules every computation shares: conversions to whole numbers, the
// leading-number parse of typed text, and the two ways numbers are turned into text.

#include <cstdint>
#include <string>
#include <string_view>

namespace ombrix {

// ToLong for the values the fast path leaves: error 6 outside the range or for NaN.
std::int32_t ToLongChecked(double value);

// Nearest 32-bit integer, halves to the even neighbour; error 6 outside the range or for NaN.
// Inline, as the drawing converts every vertex of millions of triangles with it.
inline std::int32_t ToLong(double value) {
  if (value > -2147483649.0 && value < 2147483648.0) {
    // Adding 1.5 * 2^52 leaves no fraction bits, so the sum is rounded as nearbyint rounds
    // (to nearest, halves to even); taking it away again is exact.
    constexpr double kShift = 6755399441055744.0;
    const double rounded = (value + kShift) - kShift;
    if (rounded >= -2147483648.0 && rounded <= 2147483647.0) {
      return static_cast<std::int32_t>(rounded);
    }
  }
  return ToLongChecked(value);
}

// Nearest 16-bit integer, halves to the even neighbour; error 6 outside -32768..32767.
std::int16_t ToInteger16(double value);

// a / b as doubles, failing where a division by zero fails: 0 / 0 overflows (error 6), any
// other number divided by 0 is error 11. `what` names the quantity in the description.
double CheckedDivide(double a, double b, const char* what);

// The integer part: rounded toward minus infinity (-1.5 gives -2).
double IntegerPart(double value);

// Reads the number a text begins with: blanks are skipped, then an optional sign, digits,
// a decimal point and an exponent (E or e, optional sign, digits); reading stops at the
// first other character. A text that does not begin with a number gives 0. Error 6 when
// the number is too large for a double.
double LeadingNumber(std::string_view text);

// Converts a text that must be a number as a whole (surrounding blanks allowed), as a cell
// or text box holding a number does; error 13 for anything else, empty text included.
double TextToNumber(std::string_view text);

// A number as the drawings print it: the fewest digits that read back as the same double, in
// ordinary decimal form for magnitudes from 0.0001 up to below 1e15 and with an exponent
// outside them, and a leading blank in place of the sign when the value is not negative
// ("-1.5", " 2", " 0.1", " 100000", " 1e+15").
std::string NumberText(double value);

// The shortest text that reads back as the same double, without a leading blank ("1.5",
// "-2", "1e+20"); how reals are written to files and to standard output.
std::string RealText(double value);

// The pattern "###0.000000000000": at least one digit before the point, exactly twelve after.
std::string FormatFixed12(double value);

}  // namespace ombrix
