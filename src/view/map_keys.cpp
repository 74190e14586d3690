#include "view/map_keys.h"

#include <algorithm>
#include <limits>

#include "view/background_map.h"

namespace ombrix {
namespace {

// value + step, unless that leaves the 32-bit range: the map then stays where it is rather
// than wrap round to the far side.
void Step(std::int32_t& value, std::int32_t step) {
  const std::int64_t next = std::int64_t{value} + step;
  if (next >= std::numeric_limits<std::int32_t>::min() &&
      next <= std::numeric_limits<std::int32_t>::max()) {
    value = static_cast<std::int32_t>(next);
  }
}

void Move(MeshModel& m, std::int16_t key) {
  switch (key) {
    case kKeyUp:
      Step(m.MapTop, -kMapMoveStep);
      break;
    case kKeyDown:
      Step(m.MapTop, kMapMoveStep);
      break;
    case kKeyLeft:
      Step(m.MapLeft, -kMapMoveStep);
      break;
    case kKeyRight:
      Step(m.MapLeft, kMapMoveStep);
      break;
    default:
      break;
  }
}

// A size in pixels shrinks to nothing at most: a negative size would only mirror the picture
// out of the frame.
void Shrink(std::int32_t& size) {
  size = std::max(size, kMapSizeStep) - kMapSizeStep;
}

void Resize(MeshModel& m, std::int16_t key) {
  switch (key) {
    case kKeyUp:
      Shrink(m.MapHeight);
      break;
    case kKeyDown:
      Step(m.MapHeight, kMapSizeStep);
      break;
    case kKeyLeft:
      Shrink(m.MapWidth);
      break;
    case kKeyRight:
      Step(m.MapWidth, kMapSizeStep);
      break;
    default:
      break;
  }
}

}  // namespace

bool Form_KeyDown(CommandContext& ctx, std::int16_t KeyCode, std::int16_t Shift) {
  MeshModel& m = ctx.model;
  if (m.MapLoaded == 0) {
    return false;
  }
  if (Shift == kShiftMask) {
    Move(m, KeyCode);
  } else if (Shift == kCtrlMask) {
    Resize(m, KeyCode);
  } else {
    return false;
  }
  RepaintMapView(ctx);
  return true;
}

}  // namespace ombrix
