#include "model/numeric.h"

#include <gtest/gtest.h>

#include "fakes/error_capture.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <random>

#include "model/run_error.h"

namespace ombrix {
namespace {

// The edges (halves rounding out of range or to an even neighbour in it, NaN, infinities), then
// random values across the 32-bit range.
TEST(ToLongAndToInteger16, AgreeWithNearbyintAndOverflowOutsideTheirRange) {
  const auto check = [](double v) {
    const double expected = std::nearbyint(v);
    if (expected >= INT32_MIN && expected <= INT32_MAX) {
      ASSERT_EQ(ToLong(v), static_cast<std::int32_t>(expected)) << v;
    } else {
      ASSERT_EQ(ErrorNumberOf([v] { ToLong(v); }), err::kOverflow) << v;
    }
    if (expected >= INT16_MIN && expected <= INT16_MAX) {
      ASSERT_EQ(ToInteger16(v), static_cast<std::int16_t>(expected)) << v;
    } else {
      ASSERT_EQ(ErrorNumberOf([v] { ToInteger16(v); }), err::kOverflow) << v;
    }
  };
  for (double v : {2147483647.4, 2147483647.5, -2147483648.5, -2147483648.6, 32766.5, 32767.5,
                   -32768.5, -32769.0, double(NAN), double(INFINITY), -double(INFINITY)})
    check(v);
  std::mt19937_64 rng(17);
  std::uniform_real_distribution<double> scale(-31.5, 31.5);
  std::uniform_int_distribution<int> whole(-2000000, 2000000);
  for (int n = 0; n < 200000 && !HasFailure(); ++n) {
    const double magnitude = std::exp2(scale(rng));
    for (double v :
         {magnitude, -magnitude, whole(rng) + 0.5, std::nextafter(whole(rng) + 0.5, 0.0)})
      check(v);
  }
}

TEST(LeadingNumber, ReadsTheNumberATextBeginsWith) {
  // Blanks are skipped inside the number too; an exponent without digits is not read.
  const std::pair<const char*, double> cases[] = {
      {"1.5e2", 150}, {"  -3abc", -3}, {"", 0},        {"abc", 0},      {".5", 0.5},
      {"-.5E1", -5},  {"+7x", 7},      {"1.2.3", 1.2}, {"12e-1z", 1.2}, {"1e+", 1},
      {"e5", 0},      {"-", 0},        {"1 2", 12},    {"\t 4", 4},     {"1e-999", 0}};
  for (const auto& [text, value] : cases)
    EXPECT_EQ(LeadingNumber(text), value) << text;
  EXPECT_EQ(ErrorNumberOf([] { LeadingNumber("1e999"); }), err::kOverflow);
}

TEST(TextToNumber, AcceptsOnlyAWholeNumber) {
  EXPECT_EQ(TextToNumber(" 1.5 "), 1.5);
  EXPECT_EQ(TextToNumber("+.25"), 0.25);
  for (const char* bad : {"", "   ", "abc", "1.5x", "1 2", "--1", "1e", "."})
    EXPECT_EQ(ErrorNumberOf([bad] { TextToNumber(bad); }), err::kTypeMismatch) << bad;
}

TEST(NumberText, DecimalFormFromTenThousandthToBelow1e15AndReadsBackAsTheSameDouble) {
  EXPECT_EQ(NumberText(-0.0), " 0");
  // Each text is read by TextToNumber, whose own cases pin it, and must come back unchanged.
  for (const char* text : {" 1.5", "-1.5", " 123456789", " 1e+20", "-2147483648", " 100000",
                           " 200000", " 123456.789", " 100000000000000", " 999999999999999.9",
                           " 0.1", " 0.0001", "-0.00012", " 1e+15", " 9e-05", "-3e-300"})
    EXPECT_EQ(NumberText(TextToNumber(text)), text);
  // Any finite double reads back as itself.
  std::mt19937_64 random(12345);
  std::uniform_int_distribution<std::uint64_t> bits;
  for (int i = 0; i < 20000; ++i) {
    const std::uint64_t pattern = bits(random);
    double value;
    std::memcpy(&value, &pattern, sizeof value);
    if (!std::isfinite(value))
      continue;
    const double back = TextToNumber(NumberText(value));
    ASSERT_TRUE(std::memcmp(&back, &value, sizeof value) == 0 || (value == 0 && back == 0))
        << NumberText(value);
  }
}

// The plain twelve-decimal texts are pinned by the optimisation's progress texts.
TEST(FormatFixed12, TwelveDecimalsForNegativeTinyAndLargeValues) {
  EXPECT_EQ(FormatFixed12(-0.25), "-0.250000000000");
  EXPECT_EQ(FormatFixed12(0.0000000000015), "0.000000000002");
  EXPECT_EQ(FormatFixed12(123456789012.0), "123456789012.000000000000");
}

}  // namespace
}  // namespace ombrix
