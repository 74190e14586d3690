#include "import/point_import.h"

#include <cmath>
#include "import/cell_conversion.h"
#include "import/workbook_filter.h"

#include "model/numeric.h"
#include "model/run_error.h"
#include "platform/command_guard.h"
#include "platform/work_beside.h"

namespace ombrix {
namespace {

constexpr std::int32_t kCountRow = 3, kCountCol = 1;  // A3
constexpr std::int32_t kFirstRowOffset = 2;           // point k is on sheet row k + 2
constexpr std::int32_t kXCol = 3, kYCol = 4, kValueCol = 5;

}  // namespace

PointData ReadPointWorkbook(const Workbook& book) {
  PointData d;
  const std::int32_t n = CellToLong(book.Cell(kCountRow, kCountCol), kCountRow, kCountCol);
  if (n < 0) {
    throw RunError(err::kSubscriptOutOfRange,
                   "セル A3 の点数 " + std::to_string(n) + " は負の数です。");
  }
  if (n > kMaxPoints) {
    throw RunError(err::kOutOfMemory, "セル A3 の点数 " + std::to_string(n) +
                                          " はシートに収まる行数 (" + std::to_string(kMaxPoints) +
                                          ") を超えます。");
  }
  d.PointCount = n;
  d.PointX.Allocate(0, std::int64_t{n} + 2);
  d.PointY.Allocate(0, std::int64_t{n} + 2);
  d.PointValue.Allocate(0, std::int64_t{n} + 2);
  for (std::int32_t k = 1; k <= n; ++k) {
    const std::int32_t row = k + kFirstRowOffset;
    d.PointX(k) = CellToDouble(book.Cell(row, kXCol), row, kXCol);
    d.PointY(k) = CellToDouble(book.Cell(row, kYCol), row, kYCol);
    d.PointValue(k) = CellToDouble(book.Cell(row, kValueCol), row, kValueCol);
    const std::pair<double, std::int32_t> read[] = {
        {d.PointX(k), kXCol}, {d.PointY(k), kYCol}, {d.PointValue(k), kValueCol}};
    for (const auto& [v, col] : read) {
      if (!std::isfinite(v)) {
        throw RunError(err::kTypeMismatch, "点 " + std::to_string(k) + " (" + std::to_string(row) +
                                               " 行目) のセル " + CellName(row, col) + " の値 " +
                                               RealText(v) + " は有限の数ではありません。");
      }
    }
  }
  return d;
}

void CommitPoints(MeshModel& model, PointData&& data) {
  model.PointCount = data.PointCount;
  model.PointX = std::move(data.PointX);
  model.PointY = std::move(data.PointY);
  model.PointValue = std::move(data.PointValue);
}

void RandomDataLoad_Click(CommandContext& ctx) {
  const std::optional<std::string> path = ctx.dialogs.OpenFile(kWorkbookFilter, kPointsDialogTitle);
  if (!path) {
    return;
  }
  bool stopped = false;
  const bool loaded = RunGuarded(ctx.dialogs, Aborted::Loading, [&] {
    BesideOutcome<PointData> read;
    {
      BusyPointer busy(ctx.windows);
      read = RunBeside(ctx.events, ctx.windows, "ランダム数値データを読み込み", *path,
                       [&](const std::atomic<bool>&) {
                         const std::unique_ptr<Workbook> book = ctx.workbooks.Open(*path);
                         return ReadPointWorkbook(*book);
                       });
    }
    // Points read after Esc are dropped: the ones loaded before stay.
    stopped = read.stop_requested;
    if (!stopped) {
      CommitPoints(ctx.model, std::move(*read.result));
    }
  });
  if (loaded && stopped) {
    ctx.windows.ShowStatus("ランダム数値データの読み込みを中止しました。");
  } else if (loaded) {
    ctx.windows.ShowStatus("ランダム数値データを読み込みました: " +
                           std::to_string(ctx.model.PointCount) + " 点  " + *path);
  } else {
    ctx.windows.ShowStatus("");
  }
}

}  // namespace ombrix
