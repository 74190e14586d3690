#include "contour/contour_command.h"

#include "contour/triangle_list.h"
#include "model/messages.h"
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
  RunGuarded(ctx.dialogs, Aborted::Program, [&] {
    BusyPointer busy(ctx.windows);
    ContourCalc(ctx);
  });
  ctx.windows.ShowStatus("");
}

}  // namespace ombrix
