#include "contour/colour_scale.h"

#include <array>

#include "model/modes.h"
#include "model/numeric.h"
#include "model/run_error.h"

namespace ombrix {
namespace {

struct Components {
  std::int32_t r, g, b;
};

constexpr std::array<Components, 18> kColours = {{
    {224, 31, 224},
    {224, 31, 31},
    {224, 80, 31},
    {224, 128, 31},
    {224, 176, 31},
    {224, 224, 31},
    {176, 224, 31},
    {128, 224, 31},
    {80, 224, 31},
    {31, 224, 31},
    {31, 224, 80},
    {31, 224, 128},
    {31, 224, 176},
    {31, 224, 224},
    {31, 176, 224},
    {31, 128, 224},
    {31, 80, 224},
    {31, 31, 128},
}};

}  // namespace

void SetColor(MeshModel& m, MainWindowState& w) {
  m.ColorCount = kColorSteps;
  for (std::int32_t k = 0; k < static_cast<std::int32_t>(kColours.size()); ++k) {
    m.ColorRed(k) = kColours[k].r;
    m.ColorGreen(k) = kColours[k].g;
    m.ColorBlue(k) = kColours[k].b;
  }
  std::int32_t low = 0;
  std::int32_t high = 0;
  if (m.ColorIndexMode == kRelativeColorIndex) {
    low = ToLong(IntegerPart(m.DataMin) + 1);
    high = ToLong(IntegerPart(m.DataMax));
  } else {
    low = ToLong(IntegerPart(w.AbsoluteMin + 0.5));
    high = ToLong(IntegerPart(w.AbsoluteMax + 0.5));
  }
  const std::int64_t span = std::int64_t{high} - low;
  if (span > INT32_MAX || span < INT32_MIN) {
    throw RunError(err::kOverflow, "オーバーフローしました: 色の範囲 " + std::to_string(low) +
                                       ".." + std::to_string(high) + " が広すぎます。");
  }
  m.ColorStep = static_cast<double>(span) / m.ColorCount;
  w.ColorLevel(0) = high;
  for (std::int32_t i = 1; i <= m.ColorCount; ++i) {
    w.ColorLevel(i) = IntegerPart((high - i * m.ColorStep) * 10) / 10;
  }
}

Rgb ColorOfIndex(const MeshModel& m, std::int32_t k) {
  return RGB(m.ColorRed(k), m.ColorGreen(k), m.ColorBlue(k));
}

std::int32_t ColorIndexOf(const MainWindowState& w, double value) {
  for (std::int32_t i = 0; i <= kColorSteps; ++i) {
    if (w.ColorLevel(i) < value) {
      return i;
    }
  }
  return kColorSteps + 1;
}

}  // namespace ombrix
