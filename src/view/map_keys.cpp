#include "view/map_keys.h"

#include <limits>

#include "contour/contour_lines.h"
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

void Resize(MeshModel& m, std::int16_t key) {
  switch (key) {
    case kKeyUp:
      Step(m.MapHeight, -kMapSizeStep);
      break;
    case kKeyDown:
      Step(m.MapHeight, kMapSizeStep);
      break;
    case kKeyLeft:
      Step(m.MapWidth, -kMapSizeStep);
      break;
    case kKeyRight:
      Step(m.MapWidth, kMapSizeStep);
      break;
    default:
      break;
  }
}

}  // namespace

void RepaintMapView(CommandContext& ctx) {
  const MeshModel& m = ctx.model;
  DrawingSurface& area = ctx.picture;
  area.SetScaleMode(ScaleMode::Pixels);
  area.Clear();
  PaintMap(area, m, ctx.window);
  area.Box(m.FrameLeft, m.FrameTop, static_cast<double>(std::int64_t{m.FrameLeft} + m.FrameWidth),
           static_cast<double>(std::int64_t{m.FrameTop} + m.FrameHeight), kFrameColour);
  area.Refresh();
}

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
