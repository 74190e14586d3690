#pragma once
// The contour lines of a drawing as data: each level's drawn segments, after the plateau
// pass, joined into lines in mesh coordinates and handed on level by level.

#include <cstdint>
#include <functional>
#include <vector>

#include "contour/contour_calc.h"
#include "contour/line_joining.h"
#include "model/mesh_model.h"

namespace ombrix {

// One level's lines; `index` when the level is a whole multiple of the label unit (the levels
// drawn red when red lines are on).
struct LevelLines {
  std::int32_t level = 0;
  bool index = false;
  std::vector<ContourPolyline> lines;
};

using LevelLinesSink = std::function<void(const LevelLines&)>;

// Hooks for ContourCalc that join each level's segments and pass them to `sink`. The trace is
// the hooks' working storage and must outlive the drawing.
ContourHooks LineJoiningHooks(const MeshModel& model, SegmentTrace& trace, LevelLinesSink sink);

// Computes the lines of the map last drawn (the current triangle list, divided or not) with
// the panel's settings, without drawing and without changing the triangles' flags; events are
// processed and Esc cancels as in a drawing. Returns false when cancelled or when the line
// width typed is below 1 (as the drawing itself would refuse).
bool TraceCurrentLines(CommandContext& ctx, const LevelLinesSink& sink);

}  // namespace ombrix
