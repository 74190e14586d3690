#include "contour/mesh_divided_command.h"

#include <chrono>
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

// Shows how far the division is on the status line a few times a second, lets the window
// repaint meanwhile, and stops on Esc.
DivisionProgress DivisionProgressReporter(CommandContext& ctx) {
  using Clock = std::chrono::steady_clock;
  return [&ctx, next = Clock::time_point()](std::int32_t done, std::int32_t total) mutable {
    if (Clock::now() < next) {
      return true;
    }
    next = Clock::now() + std::chrono::milliseconds(100);
    ctx.windows.ShowStatus("メッシュを分割中 (" + std::to_string(done) + " / " +
                           std::to_string(total) + " 三角形)  Esc で中断");
    ctx.events.ProcessPendingEvents();
    return !ctx.events.CancelRequested();
  };
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
  // Esc stops the division or the drawing after it; the list as it was then comes back.
  // Kept whole (a copy of the undivided list, a fraction of the divided one).
  auto kept_triangles = ctx.model.Triangles;
  const std::int32_t kept_count = ctx.model.TriangleCount;
  const std::int32_t kept_divided = ctx.window.DividedMesh;
  const auto put_back = [&] {
    ctx.model.Triangles = std::move(kept_triangles);
    ctx.model.TriangleCount = kept_count;
    ctx.window.DividedMesh = kept_divided;
  };
  ctx.events.ResetCancel();
  ctx.events.ProcessPendingEvents();  // the closed input box leaves the screen first
  bool complete = false;
  const bool divided = RunGuarded(ctx.dialogs, Aborted::Loading, [&] {
    BusyPointer busy(ctx.windows);
    // At most a dozen or so once the refusal has passed: it fits 32 bits.
    complete = DivideTriangles(ctx.model, static_cast<std::int32_t>(*divisions),
                               DivisionProgressReporter(ctx));
    if (complete) {
      ctx.window.DividedMesh = 1;
    }
  });
  if (!divided || !complete) {
    put_back();
    ctx.windows.ShowStatus(complete ? "" : "メッシュ分割を中断しました。");
    return;
  }
  if (!DrawMapWithLegend(ctx)) {
    put_back();
    ctx.windows.ShowStatus("メッシュ分割を中断しました。");
  }
}

}  // namespace ombrix
