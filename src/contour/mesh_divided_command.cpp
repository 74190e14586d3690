#include "contour/mesh_divided_command.h"

#include <cmath>
#include <string>
#include <utility>

#include "contour/contour_command.h"
#include "contour/mesh_division.h"
#include "model/messages.h"
#include "model/numeric.h"
#include "model/run_error.h"
#include "platform/command_guard.h"

namespace ombrix {
namespace {

std::string InvalidAnswerText(std::string_view answer) {
  return "分割回数 \"" + std::string(answer) + "\" は 1 以上の整数ではありません。\r" +
         std::string(msg::kDivisionCountRule);
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
  // Cancel, or OK on an empty box, cancels silently; only a wrong answer is explained.
  if (answer.find_first_not_of(" \t") == std::string::npos) {
    return;
  }
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
  // Esc while the divided list is drawn puts the list back as it was. The copy is small: the
  // store holds the cells' triangles and works the divided parts out as they are read.
  auto kept_triangles = ctx.model.Triangles;
  const std::int32_t kept_count = ctx.model.TriangleCount;
  const std::int32_t kept_divided = ctx.window.DividedMesh;
  const bool divided = RunGuarded(ctx.dialogs, Aborted::Loading, [&] {
    BusyPointer busy(ctx.windows);
    // At most a dozen or so once the refusal has passed: it fits 32 bits.
    DivideTriangles(ctx.model, static_cast<std::int32_t>(*divisions));
    ctx.window.DividedMesh = 1;
  });
  if (!divided) {
    return;
  }
  if (!DrawMapWithLegend(ctx)) {
    ctx.model.Triangles = std::move(kept_triangles);
    ctx.model.TriangleCount = kept_count;
    ctx.window.DividedMesh = kept_divided;
    ctx.windows.ShowStatus("メッシュ分割を中断しました。");
  }
}

}  // namespace ombrix
