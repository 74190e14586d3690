#include "cli/contour_commands.h"

#include <cmath>
#include <optional>

#include "cli/arguments.h"
#include "cli/drawing_options.h"
#include "cli/headless.h"
#include "cli/spool_file.h"
#include "contour/colour_scale.h"
#include "contour/contour_calc.h"
#include "contour/level_series.h"
#include "contour/triangle_list.h"
#include "import/mesh_import.h"
#include "model/numeric.h"

namespace ombrix::cli {
namespace {

const std::map<std::string, int> kSegmentOptions = {
    {"--interval", 1}, {"--line-width", 1}, {"--divide", 1}};
const std::map<std::string, int> kLevelOptions = {{"--interval", 1}, {"--color-range", 2}};

constexpr std::size_t kSpoolChunk = std::size_t{1} << 20;

std::string OneMesh(const Arguments& args, const char* command) {
  if (args.positional.size() != 1) {
    throw UsageError(std::string(command) + " takes one mesh workbook");
  }
  return args.positional.front();
}

}  // namespace

int PrintSegments(const std::vector<std::string>& raw, std::ostream& out) {
  const Arguments args = ParseArguments(raw, kSegmentOptions);
  const std::string path = OneMesh(args, "segments");
  NullSurface surface;
  HeadlessSession session(surface);
  ApplyDrawingOptions(args, session);
  const std::optional<std::int32_t> divisions = DivisionOption(args);
  // Hundreds of megabytes of lines on a large mesh: they wait in a temporary file, not in
  // memory, until the run has succeeded.
  std::optional<SpoolFile> spool;
  const int status = RunHeadless(out, [&](std::string&) {
    spool.emplace();
    CommandContext ctx = session.Context();
    ContourHooks hooks;
    std::string lines;
    hooks.on_level = [&](std::int32_t level, const GrowableList<SegmentRecord>& segments) {
      const std::string prefix = std::to_string(level) + ",";
      for (std::int32_t s = 1; s <= segments.count(); ++s) {
        const SegmentRecord& seg = segments(s);
        if (!std::isfinite(seg.X1) || !std::isfinite(seg.Y1) || !std::isfinite(seg.X2) ||
            !std::isfinite(seg.Y2)) {
          throw RunError(err::kOverflow,
                         "等高線 " + std::to_string(level) + " の線分 " + std::to_string(s) +
                             " の座標が有限の数になりません (メッシュの値や座標が大きすぎます)。");
        }
        lines += prefix;
        lines += std::to_string(s);
        for (const double v : {seg.X1, seg.Y1, seg.X2, seg.Y2}) {
          lines += ',';
          lines += RealText(v);
        }
        lines += ',';
        lines += std::to_string(seg.State);
        lines += '\n';
        if (lines.size() >= kSpoolChunk) {
          spool->Write(lines);
          lines.clear();
        }
      }
      spool->Write(lines);
      lines.clear();
    };
    if (!divisions) {
      ImportAndDraw(ctx, path, hooks);
      return;
    }
    // The undivided drawing sets the triangles' flags that the divided one reads; only the
    // divided one is printed.
    ImportAndDraw(ctx, path);
    DivideAndRedraw(ctx, *divisions, hooks);
  });
  if (status == kExitOk) {
    spool->CopyTo(out);
  }
  return status;
}

int PrintLevels(const std::vector<std::string>& raw, std::ostream& out) {
  const Arguments args = ParseArguments(raw, kLevelOptions);
  const std::string path = OneMesh(args, "levels");
  NullSurface surface;
  HeadlessSession session(surface);
  ApplyDrawingOptions(args, session);
  return RunHeadless(out, [&](std::string& text) {
    const std::unique_ptr<Workbook> book = session.workbooks.Open(path);
    CommitMesh(session.model, ReadMeshWorkbook(*book));
    const ContourSettings settings = ReadContourSettings(session.panel);
    const DataRange range = FindDataRange(session.model);
    session.model.DataMin = range.min;
    session.model.DataMax = range.max;
    const LevelSeries series = ChooseLevels(range, settings.LevelInterval);
    SetColor(session.model, session.window);
    text += "first," + std::to_string(series.FirstLevel) + "\n";
    text += "top," + std::to_string(series.TopLevel) + "\n";
    text += "labelunit," + std::to_string(series.LabelUnit) + "\n";
    text += "datamin," + RealText(range.min) + "\n";
    text += "datamax," + RealText(range.max) + "\n";
    for (std::int32_t i = 0; i <= kColorSteps; ++i) {
      text +=
          "colorlevel," + std::to_string(i) + "," + RealText(session.window.ColorLevel(i)) + "\n";
    }
  });
}

}  // namespace ombrix::cli
