#pragma once
// One straight contour segment in drawing-area pixels. Segments are drawn one by one and
// never joined into polylines.

#include <cstdint>

namespace ombrix {

inline constexpr std::int32_t kSegmentDrawn = -1;
inline constexpr std::int32_t kSegmentSuppressed = 1;

struct SegmentRecord {
  double Y1 = 0;
  double X1 = 0;
  double Y2 = 0;
  double X2 = 0;
  std::int32_t State = 0;  // kSegmentDrawn or kSegmentSuppressed

  bool operator==(const SegmentRecord&) const = default;
};

}  // namespace ombrix
