#include "contour/contour_polylines.h"

#include <array>

#include "contour/level_series.h"
#include "platform/null_surface.h"

namespace ombrix {

ContourHooks LineJoiningHooks(const MeshModel& model, SegmentTrace& trace, LevelLinesSink sink) {
  ContourHooks hooks;
  hooks.trace = &trace;
  hooks.on_level = [&model, &trace, sink = std::move(sink)](
                       std::int32_t level, const GrowableList<SegmentRecord>& segments) {
    // The data range is set before the first level; the label unit depends on its maximum.
    const std::int32_t unit = ChooseLevels({model.DataMin, model.DataMax}, 1).LabelUnit;
    LevelLines out;
    out.level = level;
    out.index = level % unit == 0;
    out.lines = JoinSegments(segments, trace);
    if (!out.lines.empty()) {
      sink(out);
    }
  };
  return hooks;
}

bool TraceCurrentLines(CommandContext& ctx, const LevelLinesSink& sink) {
  // The drawing writes the triangles' flags, which a later division reads: keep them.
  MeshModel& m = ctx.model;
  std::vector<std::array<std::int32_t, 4>> flags;
  flags.reserve(static_cast<std::size_t>(m.TriangleCount));
  for (std::int32_t t = 1; t <= m.TriangleCount; ++t) {
    flags.push_back(m.Triangles(t).Flags);
  }
  const auto restore = [&] {
    for (std::int32_t t = 1; t <= m.TriangleCount; ++t) {
      m.Triangles.SetFlags(t, flags[static_cast<std::size_t>(t - 1)]);
    }
  };

  NullSurface nowhere;
  PanelState panel = ctx.panel;
  panel.Check4 = 0;  // nothing goes to the printer
  CommandContext quiet{m,           ctx.window,  panel,      nowhere,      nullptr,
                       ctx.dialogs, ctx.windows, ctx.events, ctx.workbooks};
  const std::int32_t colour_mode = ctx.window.ColorMode;
  const std::int32_t printer_output = ctx.window.PrinterOutput;
  SegmentTrace trace;
  ContourOutcome outcome = ContourOutcome::Cancelled;
  try {
    outcome = ContourCalc(quiet, LineJoiningHooks(m, trace, sink));
  } catch (...) {
    restore();
    ctx.window.ColorMode = colour_mode;
    ctx.window.PrinterOutput = printer_output;
    throw;
  }
  restore();
  ctx.window.ColorMode = colour_mode;
  ctx.window.PrinterOutput = printer_output;
  return outcome == ContourOutcome::Drawn;
}

}  // namespace ombrix
