#include "gis/line_save_command.h"

#include <optional>
#include <string>

#include "contour/contour_polylines.h"
#include "gis/line_export.h"
#include "model/messages.h"
#include "model/run_error.h"
#include "platform/command_guard.h"

namespace ombrix::gis {
namespace {

constexpr std::string_view kTitle = "等高線データ";
constexpr std::string_view kNotDrawn = "コンター図がありません。先に作図して下さい。";

}  // namespace

void SaveContourLines_Click(CommandContext& ctx) {
  if (ctx.window.MeshFileName.empty()) {
    ctx.dialogs.Message(msg::kNoData, msg::kErrorReportTitle);
    return;
  }
  if (ctx.model.TriangleCount == 0) {
    ctx.dialogs.Message(kNotDrawn, kTitle);
    return;
  }
  RunGuarded(ctx.dialogs, Aborted::Writing, [&ctx] {
    const std::optional<std::string> path = ctx.dialogs.SaveFile(kLineFileFilter);
    if (!path) {
      return;
    }
    const std::optional<LineFormat> format = LineFormatFor(*path);
    if (!format) {
      throw RunError(err::kPathFileAccess, "\"" + *path +
                                               "\": 線の出力は .gpkg, .shp, .geojson, .dxf "
                                               "のいずれかの名前にして下さい");
    }
    const BusyPointer busy(ctx.windows);
    LineFileWriter writer(*path, *format, "");
    if (!TraceCurrentLines(ctx, [&writer](const LevelLines& l) { writer.Write(l); })) {
      ctx.windows.ShowStatus("等高線データの保存を中断しました。");
      return;  // the writer drops its unfinished file
    }
    const std::int64_t lines = writer.Commit();
    ctx.windows.ShowStatus(std::to_string(lines) + " 本の等高線を " + *path + " に保存しました。");
  });
}

}  // namespace ombrix::gis
