#include "contour/level_series.h"

#include <cmath>

#include "model/numeric.h"
#include "model/run_error.h"

namespace ombrix {
namespace {

std::int32_t CheckedLong(std::int64_t value, const char* what) {
  if (value > INT32_MAX || value < INT32_MIN) {
    throw RunError(err::kOverflow, std::string("オーバーフローしました: ") + what +
                                       " が 32 ビット整数に収まりません。");
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace

DataRange FindDataRange(const MeshModel& m) {
  DataRange range;
  bool started = false;
  for (std::int32_t i = 1; i <= m.NodeCountY; ++i) {
    for (std::int32_t j = 1; j <= m.NodeCountX; ++j) {
      if (m.NodeBlank(i, j) != 0) {
        continue;
      }
      const double v = m.NodeValue(i, j);
      if (!started) {
        range.min = range.max = v;
        started = true;
      }
      if (v > range.max) {
        range.max = v;
      }
      if (v < range.min) {
        range.min = v;
      }
    }
  }
  return range;
}

LevelSeries ChooseLevels(const DataRange& range, std::int32_t interval) {
  LevelSeries s;
  s.FirstLevel = ToLong(IntegerPart(range.min) + 1);
  s.TopLevel = ToLong(IntegerPart(range.max));
  std::int64_t divisor = 10;
  std::int32_t digits = 1;
  while (range.max / static_cast<double>(divisor) >= 1) {
    divisor = CheckedLong(divisor * 10, "ラベル単位の割る数");
    ++digits;
  }
  s.LabelUnit = digits > 2 ? ToLong(std::pow(10.0, digits - 2)) : 5;
  if (interval > 1) {
    const double quotient = IntegerPart(static_cast<double>(s.FirstLevel) / interval);
    s.FirstLevel =
        CheckedLong((static_cast<std::int64_t>(quotient) + 1) * interval, "最初の等高線");
  }
  return s;
}

std::int64_t LevelCount(const LevelSeries& s, std::int32_t interval) {
  if (interval > 0) {
    return s.FirstLevel > s.TopLevel ? 0 : (std::int64_t{s.TopLevel} - s.FirstLevel) / interval + 1;
  }
  if (interval < 0) {
    return s.FirstLevel < s.TopLevel
               ? 0
               : (std::int64_t{s.FirstLevel} - s.TopLevel) / -std::int64_t{interval} + 1;
  }
  return 0;
}

}  // namespace ombrix
