#pragma once
// The contour map of the triangle list: settings from the panel, frame, data range, levels,
// colour scale, then level by level the cut triangles' segments with their labels, and the
// coordinate labels at the end.

#include <cstdint>
#include <functional>

#include "contour/segment_trace.h"
#include "model/growable_list.h"
#include "model/segment_record.h"
#include "platform/command_context.h"

namespace ombrix {

struct ContourSettings {
  std::int32_t LevelInterval = 1;
  std::int32_t ContourLineWidth = 1;
};

// The two numbers typed into the panel, read by their leading number and rounded.
ContourSettings ReadContourSettings(const PanelState& panel);

enum class ContourOutcome { Drawn, LineWidthTooSmall, Cancelled };

struct ContourHooks {
  // Called for each level after its plateau pass, before its segments are drawn.
  std::function<void(std::int32_t level, const GrowableList<SegmentRecord>& segments)> on_level;
  // When set, filled for each level beside the segment list (same order and count) before
  // on_level is called.
  SegmentTrace* trace = nullptr;
};

// Draws the map. Run-time errors are thrown as RunError; the caller reports them.
ContourOutcome ContourCalc(CommandContext& ctx, const ContourHooks& hooks = {});

}  // namespace ombrix
