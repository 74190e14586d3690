#include "contour/mesh_divided_command.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <exception>
#include <string>
#include <thread>
#include <type_traits>
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

std::string DivisionStatus(std::int32_t done, std::int32_t total) {
  return "メッシュを分割中 (" + std::to_string(done) + " / " + std::to_string(total) +
         " 三角形)  Esc で中断";
}

// Divides the list on a worker thread, the list kept first in `kept`, while this thread keeps
// the window painted, shows how far the division is and passes Esc on to it. The list
// grows by gigabytes for a large mesh, and even its allocation takes seconds: only a second
// thread keeps the window alive through that. Nothing else touches the list meanwhile (the
// commands are disabled). False when the user stopped it; errors come back as thrown.
using TriangleList = std::remove_cvref_t<decltype(MeshModel::Triangles)>;

bool DivideKeepingTheWindowAlive(CommandContext& ctx, std::int32_t divisions, TriangleList& kept,
                                 bool& was_kept) {
  const std::int32_t total = ctx.model.TriangleCount;
  // One round first: the closed input box leaves the screen, an Esc already typed counts.
  ctx.windows.ShowStatus(DivisionStatus(0, total));
  ctx.events.ProcessPendingEvents();
  if (ctx.events.CancelRequested()) {
    return false;
  }
  std::atomic<std::int32_t> done{0};
  std::atomic<bool> stop{false};
  std::atomic<bool> finished{false};
  std::exception_ptr failure;
  bool complete = false;
  std::thread worker([&] {
    try {
      kept = ctx.model.Triangles;
      was_kept = true;
      complete = DivideTriangles(ctx.model, divisions, [&](std::int32_t n, std::int32_t) {
        done.store(n, std::memory_order_relaxed);
        return !stop.load(std::memory_order_relaxed);
      });
    } catch (...) {
      failure = std::current_exception();
    }
    finished.store(true, std::memory_order_release);
  });
  while (!finished.load(std::memory_order_acquire)) {
    ctx.windows.ShowStatus(stop ? std::string("メッシュ分割を中断しています…")
                                : DivisionStatus(done.load(std::memory_order_relaxed), total));
    ctx.events.ProcessPendingEvents();
    if (ctx.events.CancelRequested()) {
      stop.store(true, std::memory_order_relaxed);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
  }
  worker.join();
  if (failure) {
    std::rethrow_exception(failure);
  }
  return complete;
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
  ctx.events.ResetCancel();
  // Esc stops the division or the drawing after it; the list as it was then comes back. It is
  // kept whole: a copy of the undivided list, a fraction of the divided one.
  TriangleList kept_triangles;
  bool was_kept = false;
  const std::int32_t kept_count = ctx.model.TriangleCount;
  const std::int32_t kept_divided = ctx.window.DividedMesh;
  const auto put_back = [&] {
    if (was_kept) {
      ctx.model.Triangles = std::move(kept_triangles);
    }
    ctx.model.TriangleCount = kept_count;
    ctx.window.DividedMesh = kept_divided;
  };
  bool complete = false;
  const bool divided = RunGuarded(ctx.dialogs, Aborted::Loading, [&] {
    BusyPointer busy(ctx.windows);
    // At most a dozen or so once the refusal has passed: it fits 32 bits.
    complete = DivideKeepingTheWindowAlive(ctx, static_cast<std::int32_t>(*divisions),
                                           kept_triangles, was_kept);
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
