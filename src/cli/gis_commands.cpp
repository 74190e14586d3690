#include "cli/gis_commands.h"

#include <optional>

#include "cli/arguments.h"
#include "cli/drawing_options.h"
#include "cli/headless.h"
#include "cli/optimise_command.h"
#include "cli/run_guard.h"
#include "contour/contour_polylines.h"
#include "gis/grid_export.h"
#include "gis/line_export.h"
#include "import/mesh_import.h"
#include "platform/null_surface.h"

namespace ombrix::cli {
namespace {

const std::map<std::string, int> kContourOptions = {
    {"-o", 1},         {"--interval", 1}, {"--divide", 1}, {"--points", 1},
    {"--optimise", 0}, {"--initial", 1},  {"--solver", 1}, {"--srs", 1}};
const std::map<std::string, int> kGridOptions = {
    {"-o", 1}, {"--points", 1}, {"--optimise", 0}, {"--initial", 1}, {"--solver", 1}, {"--srs", 1}};

struct Common {
  std::string mesh;
  std::string output;
  std::optional<std::string> points;
  std::string srs;
};

Common CommonOptions(const Arguments& args, const char* usage) {
  if (args.positional.size() != 1 || !args.Has("-o")) {
    throw UsageError(usage);
  }
  Common c{args.positional.front(), *args.Value("-o"), args.Value("--points"),
           args.Value("--srs").value_or("")};
  if (c.points.has_value() != args.Has("--optimise")) {
    throw UsageError("--points POINTS and --optimise go together");
  }
  if (args.Has("--initial") && !c.points) {
    throw UsageError("--initial needs --points POINTS --optimise");
  }
  if (args.Has("--solver") && !c.points) {
    throw UsageError("--solver needs --points POINTS --optimise");
  }
  if (!c.srs.empty() && !gis::IsSpatialReference(c.srs)) {
    throw UsageError("--srs: not a spatial reference GDAL knows: '" + c.srs + "'");
  }
  return c;
}

}  // namespace

int ExportContours(const std::vector<std::string>& raw, std::ostream& out) {
  const Arguments args = ParseArguments(raw, kContourOptions);
  const Common c =
      CommonOptions(args, "contours takes one mesh and -o OUT.gpkg|OUT.shp|OUT.geojson|OUT.dxf");
  const std::optional<gis::LineFormat> format = gis::LineFormatFor(c.output);
  if (!format) {
    throw UsageError("the output must end in .gpkg, .shp, .geojson or .dxf: " + c.output);
  }
  NullSurface surface;
  HeadlessSession session(surface);
  ApplyDrawingOptions(args, session);
  ApplyInitialValueOption(args, session.model);
  ApplySolverOption(args, session.model);
  const std::optional<std::int32_t> divisions = DivisionOption(args);
  return RunHeadless(out, [&](std::string& text) {
    CommandContext ctx = session.Context();
    ImportMesh(ctx, c.mesh);
    if (c.points) {
      ImportPointsAndOptimise(ctx, *c.points);
    }
    gis::LineFileWriter writer(c.output, *format, c.srs);
    SegmentTrace trace;
    const ContourHooks hooks = LineJoiningHooks(
        session.model, trace, [&writer](const LevelLines& level) { writer.Write(level); });
    if (divisions) {
      // The undivided drawing sets the flags the divided one reads; the divided one is written.
      DrawLoadedMesh(ctx);
      DivideAndRedraw(ctx, *divisions, hooks);
    } else {
      DrawLoadedMesh(ctx, hooks);
    }
    const std::int64_t lines = writer.Commit();
    text += "lines," + std::to_string(lines) + "," + c.output + "\n";
  });
}

int ExportGrid(const std::vector<std::string>& raw, std::ostream& out) {
  const Arguments args = ParseArguments(raw, kGridOptions);
  const Common c = CommonOptions(args, "grid takes one mesh and -o OUT.tif|OUT.asc");
  const std::optional<gis::GridFormat> format = gis::GridFormatFor(c.output);
  if (!format) {
    throw UsageError("the output must end in .tif or .asc: " + c.output);
  }
  NullSurface surface;
  HeadlessSession session(surface);
  ApplyInitialValueOption(args, session.model);
  ApplySolverOption(args, session.model);
  return RunHeadless(out, [&](std::string& text) {
    CommandContext ctx = session.Context();
    ImportMesh(ctx, c.mesh);
    if (c.points) {
      ImportPointsAndOptimise(ctx, *c.points);
    }
    gis::WriteGrid(session.model, c.output, *format, c.srs);
    text += "grid," + std::to_string(session.model.NodeCountX) + "," +
            std::to_string(session.model.NodeCountY) + "," + c.output + "\n";
  });
}

}  // namespace ombrix::cli
