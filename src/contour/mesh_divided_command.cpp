#include "contour/mesh_divided_command.h"

#include <cmath>
#include <string>

#include "contour/contour_command.h"
#include "contour/mesh_division.h"
#include "model/messages.h"
#include "model/numeric.h"
#include "model/run_error.h"
#include "platform/command_guard.h"

namespace ombrix {
namespace {

std::string InvalidAnswerText(std::string_view answer) {
  std::string text =
      answer.empty() ? std::string(msg::kDivisionCountMissing)
                     : "分割回数 \"" + std::string(answer) + "\" は 1 以上の整数ではありません。";
  return text + "\r" + std::string(msg::kDivisionCountRule);
}

}  // namespace

std::optional<double> DivisionCountOf(std::string_view answer) {
  double value = 0;
  try {
    value = TextToNumber(answer);
  } catch (const RunError&) {
    return std::nullopt;
  }
  if (!std::isfinite(value) || value < 1 || value != std::floor(value)) {
    return std::nullopt;
  }
  return value;
}

void MeshDivided_Click(CommandContext& ctx) {
  // Until a drawing has built the list it holds no triangle, and a mesh without cells makes an
  // empty one: either way there is nothing to divide.
  if (ctx.window.MeshFileName.empty() || ctx.model.TriangleCount == 0) {
    ctx.dialogs.Message(msg::kNoData, msg::kErrorReportTitle);
    return;
  }
  const std::string answer =
      ctx.dialogs.InputBox(msg::kDivisionPrompt, msg::kDivisionTitle, msg::kDivisionDefault);
  const std::optional<double> divisions = DivisionCountOf(answer);
  if (!divisions) {
    ctx.dialogs.Message(InvalidAnswerText(answer), msg::kErrorReportTitle);
    return;
  }
  const std::string refusal =
      DivisionRefusal(ctx.model.TriangleCount, *divisions, AvailableMemoryBytes());
  if (!refusal.empty()) {
    ctx.dialogs.Message(refusal, msg::kErrorReportTitle);
    return;
  }
  const bool divided = RunGuarded(ctx.dialogs, Aborted::Loading, [&] {
    BusyPointer busy(ctx.windows);
    // At most a dozen or so once the refusal has passed: it fits 32 bits.
    DivideTriangles(ctx.model, static_cast<std::int32_t>(*divisions));
    ctx.window.DividedMesh = 1;
  });
  if (!divided) {
    return;
  }
  DrawMapWithLegend(ctx);
}

}  // namespace ombrix
