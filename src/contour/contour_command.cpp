#include "contour/contour_command.h"

#include "contour/colour_legend.h"
#include "contour/triangle_list.h"
#include "model/messages.h"
#include "model/modes.h"
#include "platform/command_guard.h"

namespace ombrix {

void ContourLine_Click(CommandContext& ctx) {
  if (ctx.window.MeshFileName.empty()) {
    ctx.dialogs.Message(msg::kNoData, msg::kErrorReportTitle);
    return;
  }
  const bool listed = RunGuarded(ctx.dialogs, Aborted::Loading, [&] {
    BuildTriangleList(ctx.model);
    ctx.window.DividedMesh = 0;
  });
  if (!listed) {
    return;
  }
  DrawMapWithLegend(ctx);
}

bool DrawMapWithLegend(CommandContext& ctx) {
  ContourOutcome outcome = ContourOutcome::Cancelled;
  const bool drawn = RunGuarded(ctx.dialogs, Aborted::Command, [&] {
    BusyPointer busy(ctx.windows);
    outcome = ContourCalc(ctx);
  });
  if (drawn && outcome == ContourOutcome::Cancelled) {
    return false;  // the status line keeps saying that the drawing was stopped
  }
  ctx.windows.ShowStatus("");
  if (drawn && ctx.window.ColorMode == kColorNormal && ctx.legend != nullptr) {
    RunGuarded(ctx.dialogs, Aborted::Loading, [&] { ShowColorLegend(ctx, *ctx.legend); });
  }
  return true;
}

}  // namespace ombrix
