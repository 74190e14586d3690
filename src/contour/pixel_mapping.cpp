#include "contour/pixel_mapping.h"

#include "model/numeric.h"
#include "model/run_error.h"

namespace ombrix {

PixelMapping MakePixelMapping(const MeshModel& m) {
  PixelMapping p;
  const std::int64_t y_origin = std::int64_t{m.FrameTop} + m.FrameHeight - 1;
  if (y_origin > INT32_MAX || y_origin < INT32_MIN) {
    throw RunError(err::kOverflow,
                   "オーバーフローしました: 枠の下端が 32 ビット整数に収まりません。");
  }
  p.x_origin = static_cast<double>(std::int64_t{m.FrameLeft} + 1);
  p.y_origin = static_cast<double>(y_origin);
  p.x_scale = CheckedDivide(m.FrameWidth, m.RangeX, "横の縮尺 (枠の幅 ÷ メッシュの幅)");
  p.y_scale = CheckedDivide(m.FrameHeight, m.RangeY, "縦の縮尺 (枠の高さ ÷ メッシュの高さ)");
  p.x_first = m.NodeX(1);
  p.y_last = m.NodeY(m.NodeCountY);
  return p;
}

}  // namespace ombrix
