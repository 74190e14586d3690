#include "optimise/optimize_command.h"

#include <optional>
#include <string>
#include <vector>

#include "model/error_report.h"
#include "model/numeric.h"
#include "model/run_error.h"
#include "optimise/fit_captions.h"
#include "optimise/optimizing_calc.h"
#include "optimise/result_listings.h"
#include "optimise/write_back.h"
#include "platform/command_guard.h"
#include "platform/work_beside.h"

namespace ombrix {
namespace {

std::string SweepStatus(std::int32_t sweep, double max_change) {
  return "メッシュ最適化: SOR 法 " + std::to_string(sweep) + " 回目、最大変化率 " +
         FormatFixed12(max_change) + "（Esc で中止）";
}

std::string IterationStatus(std::int32_t iteration, double residual) {
  return "メッシュ最適化: 厳密解 " + std::to_string(iteration) + " 回目、相対残差 " +
         RealText(residual) + "（Esc で中止）";
}

// The fit, with the result window's listings and progress by the information mode and the
// sweep count on the status line. Returns false when the user cancelled it.
bool RunFit(CommandContext& ctx) {
  const std::int32_t mode = ctx.model.InfoDisplayMode;
  std::optional<ResultListings> listings;
  OptimizeObservers observers;
  if (ctx.result != nullptr) {
    listings.emplace(*ctx.result, ctx.windows, ctx.dialogs);
    observers.listings = &*listings;
  }
  observers.before_sweeps = [&] {
    if (mode > 0 && ctx.result != nullptr) {
      const FitCaptions captions = CaptionsOf(ctx.model.OptimizeSolver);
      ctx.result->ShowCaptions(captions.count, captions.residual);
    }
    if (mode == 2) {
      ctx.windows.Show(WindowId::Result);
    }
  };
  observers.on_sweep = [&](std::int32_t sweep, double max_change) {
    ctx.windows.ShowStatus(SweepStatus(sweep, max_change));
    if (mode > 0 && ctx.result != nullptr) {
      const ProgressTexts texts = ProgressTextsOf(sweep, max_change);
      ctx.result->ShowProgress(texts.sweeps, texts.residual);
    }
  };
  observers.on_iteration = [&](std::int32_t iteration, double residual) {
    ctx.windows.ShowStatus(IterationStatus(iteration, residual));
    if (mode > 0 && ctx.result != nullptr) {
      const ProgressTexts texts = IterationTextsOf(iteration, residual);
      ctx.result->ShowProgress(texts.sweeps, texts.residual);
    }
  };
  return OptimizingCalc(ctx.model, ctx.events, observers).outcome == OptimizeOutcome::Converged;
}

// The workbook the write-back goes to: the one the mesh came from.
std::string WriteBackTarget(const CommandContext& ctx) {
  const std::string path = ctx.window.MeshFileName;
  if (path.empty()) {
    throw RunError(
        err::kFileNotFound,
        "書き込むメッシュのワークブックがありません。メッシュデータを読み込んで下さい。");
  }
  if (ctx.writer == nullptr) {
    throw RunError(err::kInternalError, "ワークブックに書き込む手段がありません。");
  }
  return path;
}

}  // namespace

void WriteOptimizedMesh(CommandContext& ctx) {
  const std::string path = WriteBackTarget(ctx);
  ctx.windows.ShowStatus("メッシュに書き込み中: " + path);
  const std::vector<CellEdit> edits = WriteBackEdits(ctx.model);
  ctx.writer->Write(path, edits);
}

void MeshOptimizing_Click(CommandContext& ctx) {
  if (!ctx.dialogs.AskYesNo(kOptimizeQuestion, kOptimizeTitle)) {
    return;
  }
  bool converged = false;
  const bool fitted = RunGuarded(ctx.dialogs, Aborted::Command, [&] {
    BusyPointer busy(ctx.windows);
    converged = RunFit(ctx);
    ctx.windows.ShowStatus("");
    ctx.dialogs.Message(converged ? kOptimizeFinished : kOptimizeCancelled, kOptimizeTitle,
                        MessageIcon::Information);
  });
  ctx.windows.ShowStatus("");
  if (!fitted || !converged) {
    return;
  }
  if (!ctx.dialogs.AskYesNo(kWriteBackQuestion, kOptimizeTitle)) {
    return;
  }
  // The save runs beside the window; Esc before the new file replaces the old one stops it.
  bool stopped = false;
  const bool written = RunGuarded(ctx.dialogs, Aborted::Loading, [&] {
    BusyPointer busy(ctx.windows);
    const std::string path = WriteBackTarget(ctx);
    const std::vector<CellEdit> edits = WriteBackEdits(ctx.model);
    const BesideOutcome<bool> saved = RunBeside(ctx.events, ctx.windows, "メッシュに書き込み", path,
                                                [&](const std::atomic<bool>& stop) {
                                                  ctx.writer->WriteUnlessStopped(path, edits, stop);
                                                  return true;
                                                });
    stopped = !saved.result.has_value();
  });
  if (written && stopped) {
    ctx.windows.ShowStatus("ワークブックへの書き込みを中止しました。ファイルは元のままです: " +
                           ctx.window.MeshFileName);
  } else if (written) {
    ctx.windows.ShowStatus("最適化した値をワークブックに書き込みました: " +
                           ctx.window.MeshFileName);
  } else {
    ctx.windows.ShowStatus("");
  }
}

}  // namespace ombrix
