// ISO dates of "d" cells as serial numbers in both date systems.

#include "sheet/xlsx/iso_date.h"

#include <gtest/gtest.h>

namespace ombrix::sheet::xlsx {
namespace {

// The early 1900 dates match Excel's count, which holds a 29 February 1900.
TEST(ParseIsoDateSerial, DatesAndTimesInBothSystems) {
  EXPECT_EQ(ParseIsoDateSerial("2021-03-15", false), 44270.0);
  EXPECT_EQ(ParseIsoDateSerial("2021-03-15T12:00:00", false), 44270.5);
  EXPECT_EQ(ParseIsoDateSerial("2021-03-15T18:00:00.000Z", false), 44270.75);
  EXPECT_EQ(ParseIsoDateSerial("2021-03-15T06:00", false), 44270.25);
  EXPECT_EQ(ParseIsoDateSerial("1999-12-31", false), 36525.0);
  EXPECT_EQ(ParseIsoDateSerial("12:00:00", false), 0.5);
  EXPECT_EQ(ParseIsoDateSerial("1900-01-01", false), 1.0);
  EXPECT_EQ(ParseIsoDateSerial("1900-02-28", false), 59.0);
  EXPECT_EQ(ParseIsoDateSerial("1900-03-01", false), 61.0);
  EXPECT_EQ(ParseIsoDateSerial("1904-01-01", true), 0.0);
  EXPECT_EQ(ParseIsoDateSerial("2021-03-15", true), 44270.0 - 1462);
}

TEST(ParseIsoDateSerial, RefusesDaysThatDoNotExistAndOtherText) {
  for (const char* bad : {"2021-02-29", "2021-13-01", "2021-00-10", "2021-04-31", "2021-3-15",
                          "20210315", "2021-03-15X", "2021-03-15T25:00", "2021-03-15T12:60",
                          "2021-03-15T12:00:61", "2021-03-15T12:00:00.", "", "abc", "12:00:"}) {
    EXPECT_EQ(ParseIsoDateSerial(bad, false), std::nullopt) << bad;
  }
  EXPECT_EQ(ParseIsoDateSerial("2020-02-29", false), 43890.0);
}

}  // namespace
}  // namespace ombrix::sheet::xlsx
