#pragma once
// Cells of type "d" hold an ISO 8601 date and time; the workbook model keeps dates as serial
// numbers (days since the workbook's epoch, the time of day as the fraction).

#include <optional>
#include <string_view>

namespace ombrix::sheet::xlsx {

// "2021-03-15" -> 44270, "2021-03-15T12:00:00" -> 44270.5 in the 1900 date system, in which
// 1900-01-01 is 1 and the non-existent 1900-02-29 is 60, so dates from 1900-03-01 on match what
// Excel shows; with `date1904` day 0 is 1904-01-01. A time alone ("12:00:00") is its fraction of
// a day. Accepts "YYYY-MM-DD", optionally "THH:MM", ":SS", ".fraction" and a trailing "Z".
// Empty when `text` is not such a date or names a day that does not exist.
std::optional<double> ParseIsoDateSerial(std::string_view text, bool date1904);

}  // namespace ombrix::sheet::xlsx
