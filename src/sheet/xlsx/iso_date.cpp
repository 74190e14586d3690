#include "sheet/xlsx/iso_date.h"

#include <charconv>
#include <cstdint>

#include "sheet/xlsx/cell_number.h"

namespace ombrix::sheet::xlsx {
namespace {

// Reads exactly `digits` decimal digits at `text[at]`.
std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t digits) {
  if (at + digits > text.size()) {
    return std::nullopt;
  }
  int value = 0;
  for (std::size_t i = at; i < at + digits; ++i) {
    if (text[i] < '0' || text[i] > '9') {
      return std::nullopt;
    }
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kDays[m - 1];
}

// "HH:MM[:SS[.fff]]" as a fraction of a day.
std::optional<double> TimeFraction(std::string_view text) {
  const std::optional<int> h = Digits(text, 0, 2);
  const std::optional<int> min = Digits(text, 3, 2);
  if (!h || !min || text.size() < 5 || text[2] != ':' || *h > 23 || *min > 59) {
    return std::nullopt;
  }
  double seconds = 0;
  if (text.size() > 5) {
    if (text[5] != ':') {
      return std::nullopt;
    }
    const std::string_view sec_text = text.substr(6);
    const std::optional<int> whole = Digits(sec_text, 0, 2);
    if (!whole || (sec_text.size() > 2 && sec_text[2] != '.') || sec_text.size() == 3) {
      return std::nullopt;
    }
    const std::optional<double> sec = ParseCellNumber(sec_text);
    if (!sec || *sec >= 60) {
      return std::nullopt;
    }
    seconds = *sec;
  }
  return (*h * 3600.0 + *min * 60.0 + seconds) / 86400.0;
}

}  // namespace

std::optional<double> ParseIsoDateSerial(std::string_view text, bool date1904) {
  text = TrimXmlSpace(text);
  if (text.ends_with('Z')) {
    text.remove_suffix(1);
  }
  if (text.size() >= 3 && text[2] == ':') {
    return TimeFraction(text);
  }
  const std::optional<int> y = Digits(text, 0, 4);
  const std::optional<int> m = Digits(text, 5, 2);
  const std::optional<int> d = Digits(text, 8, 2);
  if (!y || !m || !d || text[4] != '-' || text[7] != '-' || *m < 1 || *m > 12 || *d < 1 ||
      *d > DaysInMonth(*y, *m)) {
    return std::nullopt;
  }
  double fraction = 0;
  if (text.size() > 10) {
    if (text[10] != 'T' && text[10] != ' ') {
      return std::nullopt;
    }
    const std::optional<double> t = TimeFraction(text.substr(11));
    if (!t) {
      return std::nullopt;
    }
    fraction = *t;
  }
  const std::int64_t days = DaysFromCivil(*y, *m, *d);
  std::int64_t serial;
  if (date1904) {
    serial = days - DaysFromCivil(1904, 1, 1);
  } else {
    serial = days - DaysFromCivil(1899, 12, 30);
    if (serial > 0 && serial < 61) {
      serial -= 1;  // before the 1900-02-29 that the 1900 system counts
    }
  }
  return static_cast<double>(serial) + fraction;
}

}  // namespace ombrix::sheet::xlsx
