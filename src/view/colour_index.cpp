#include "view/colour_index.h"

#include "model/messages.h"

#include <string>

#include "model/modes.h"
#include "model/numeric.h"
#include "platform/command_guard.h"

namespace ombrix {

void RelativeColorIndex_Click(CommandContext& ctx) {
  if (ctx.model.ColorIndexMode == kRelativeColorIndex) {
    return;
  }
  ctx.model.ColorIndexMode = kRelativeColorIndex;
}

void AbsoluteColorIndex_Click(CommandContext& ctx) {
  RunGuarded(ctx.dialogs, Aborted::Loading, [&ctx] {
    MainWindowState& w = ctx.window;
    // A cancelled or refused input leaves both bounds at 0 and the mode as it was.
    const auto drop_bounds = [&w] { w.AbsoluteMin = w.AbsoluteMax = 0; };
    const std::string minimum_text =
        ctx.dialogs.InputBox(kEnterMinimumPrompt, kColorIndexTitle, "");
    if (minimum_text.empty()) {
      drop_bounds();
      return;
    }
    w.AbsoluteMin = LeadingNumber(minimum_text);
    const std::string maximum_text =
        ctx.dialogs.InputBox(kEnterMaximumPrompt, kColorIndexTitle, "");
    if (maximum_text.empty()) {
      drop_bounds();
      return;
    }
    w.AbsoluteMax = LeadingNumber(maximum_text);
    if (w.AbsoluteMax > w.AbsoluteMin) {
      ctx.model.ColorIndexMode = kAbsoluteColorIndex;
      return;
    }
    ctx.dialogs.Message(kBoundsOutOfOrder, msg::kApplicationTitle, MessageIcon::Exclamation);
    drop_bounds();
  });
}

}  // namespace ombrix
