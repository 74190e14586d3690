#include "cli/gis_commands.h"

#include <gtest/gtest.h>

#include "cli_files.h"

#include <cmath>
#include <cstdlib>

#include "cli/arguments.h"
#include "cli/import_commands.h"
#include "cli/optimise_command.h"
#include "fakes/temp_folder.h"
#include "gis/gdal_handles.h"

namespace ombrix::cli {
namespace {

using ombrix::testing::Fixture;
using ombrix::testing::PrintedNodes;
using ombrix::testing::TempFolder;

std::string Command(int (*command)(const std::vector<std::string>&, std::ostream&),
                    const std::vector<std::string>& args) {
  std::ostringstream out;
  EXPECT_EQ(command(args, out), kExitOk) << out.str();
  return out.str();
}

struct Line {
  int level = 0;
  std::vector<std::array<double, 2>> points;
};

std::vector<Line> ReadLines(const std::string& path) {
  gis::EnsureGdal();
  const gis::Dataset ds(GDALOpenEx(path.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr));
  std::vector<Line> lines;
  if (!ds) {
    ADD_FAILURE() << "cannot read " << path;
    return lines;
  }
  OGRLayerH layer = GDALDatasetGetLayer(ds.get(), 0);
  const int level = OGR_FD_GetFieldIndex(OGR_L_GetLayerDefn(layer), "level");
  for (OGRFeatureH f; (f = OGR_L_GetNextFeature(layer)) != nullptr;) {
    const gis::Feature owned(f);
    Line line{OGR_F_GetFieldAsInteger(f, level), {}};
    OGRGeometryH g = OGR_F_GetGeometryRef(f);
    for (int p = 0; p < OGR_G_GetPointCount(g); ++p)
      line.points.push_back({OGR_G_GetX(g, p), OGR_G_GetY(g, p)});
    lines.push_back(std::move(line));
  }
  return lines;
}

// The length of the line inside the box (x0, y0, x1, y1): gdal_contour carries its lines half
// a cell on, to the raster's outer edge, where the mesh ends at the outer nodes.
double Length(const Line& l, const std::array<double, 4>& box) {
  double sum = 0;
  for (std::size_t k = 1; k < l.points.size(); ++k) {
    const auto a = l.points[k - 1], b = l.points[k];
    const double d[2] = {b[0] - a[0], b[1] - a[1]};
    // Liang-Barsky: along an axis the segment does not move on, the infinite bounds keep it
    // whole inside the box's band and drop it outside.
    double t0 = 0, t1 = 1;
    for (std::size_t axis = 0; axis < 2; ++axis) {
      const auto [ta, tb] =
          std::minmax((box[axis] - a[axis]) / d[axis], (box[axis + 2] - a[axis]) / d[axis]);
      t0 = std::max(t0, ta);
      t1 = std::min(t1, tb);
    }
    if (t1 > t0)
      sum += (t1 - t0) * std::hypot(d[0], d[1]);
  }
  return sum;
}

double DistanceToSegment(std::array<double, 2> p, std::array<double, 2> a,
                         std::array<double, 2> b) {
  const double dx = b[0] - a[0], dy = b[1] - a[1];
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p[0] - (a[0] + t * dx), p[1] - (a[1] + t * dy));
}

// Our lines against gdal_contour's on the same grid written as GeoTIFF: the triangulations
// differ (four triangles a cell here, marching squares there), so the lines do too, but only
// within a cell. Around blank nodes the two leave out different areas, so lengths are compared
// on a mesh without blanks only.
void CompareWithGdalContour(const std::string& mesh, bool compare_lengths) {
  TempFolder folder;
  Command(ExportGrid, {mesh, "-o", folder / "grid.tif"});
  EXPECT_EQ(Command(ExportContours, {mesh, "-o", folder / "ours.gpkg", "--interval", "1"})
                .rfind("lines,", 0),
            0u);
  const std::string gdal = std::string(GDAL_CONTOUR_PROGRAM) + " -q -i 1 -a level '" +
                           (folder / "grid.tif") + "' '" + (folder / "gdal.gpkg") + "'";
  ASSERT_EQ(std::system(gdal.c_str()), 0) << gdal;
  const std::vector<Line> ours = ReadLines(folder / "ours.gpkg");
  const std::vector<Line> theirs = ReadLines(folder / "gdal.gpkg");
  if (compare_lengths) {
    const std::array<double, 4> box = {0, 0, 390, 290};  // the outer nodes of the 40 x 30 mesh
    std::map<int, std::array<double, 2>> length;         // level: ours, GDAL's
    for (const Line& l : ours)
      length[l.level][0] += Length(l, box);
    for (const Line& l : theirs)
      length[l.level][1] += Length(l, box);
    double total_ours = 0, total_theirs = 0;
    for (const auto& [level, both] : length) {
      EXPECT_NEAR(both[0], both[1], 0.03 * both[1]) << "level " << level;
      total_ours += both[0];
      total_theirs += both[1];
    }
    EXPECT_NEAR(total_ours, total_theirs, 0.01 * total_theirs);
  }
  const double diagonal = std::hypot(10.0, 10.0);  // both meshes' cells are 10 x 10
  for (const Line& l : ours) {
    for (const auto& p : l.points) {
      double nearest = INFINITY;
      for (const Line& g : theirs) {
        if (g.level != l.level)
          continue;
        for (std::size_t k = 1; k < g.points.size(); ++k)
          nearest = std::min(nearest, DistanceToSegment(p, g.points[k - 1], g.points[k]));
      }
      EXPECT_LE(nearest, diagonal) << "level " << l.level << " at " << p[0] << "," << p[1];
    }
  }
}

TEST(ContoursCommand, AgreesWithGdalContourOnTheSameGrid) {
  CompareWithGdalContour(Fixture("mesh_smooth_40x30.lo.xlsx"), true);
  CompareWithGdalContour(Fixture("hills_mesh.xlsx"), false);
}

TEST(GridCommand, WritesTheMeshFittedByTheChosenSolver) {
  TempFolder folder;
  const std::string mesh = Fixture("hills_mesh.xlsx");
  const std::string points = Fixture("hills_points.xlsx");
  for (const char* solver : {"relaxation", "exact"}) {
    SCOPED_TRACE(solver);
    const std::string grid = folder / (std::string(solver) + ".tif");
    EXPECT_EQ(Command(ExportGrid,
                      {mesh, "-o", grid, "--points", points, "--optimise", "--solver", solver}),
              "grid,40,30," + grid + "\n");
    const std::string fitted = Command(PrintOptimisedMesh, {mesh, points, "--solver", solver});
    EXPECT_EQ(PrintedNodes(ombrix::testing::Call(PrintMesh, grid).text), PrintedNodes(fitted));
  }
}

TEST(GisCommands, UsageAndRunTimeErrors) {
  TempFolder folder;
  const std::string mesh = Fixture("hills_mesh.xlsx");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {mesh},
           {mesh, "-o", folder / "l.kml"},
           {mesh, "-o", folder / "l.gpkg", "--srs", "EPSG:nonsense"},
           {mesh, "-o", folder / "l.gpkg", "--optimise"},
           {mesh, "-o", folder / "l.gpkg", "--solver", "exact"}}) {
    EXPECT_THROW(Command(ExportContours, args), UsageError);
  }
  EXPECT_THROW(Command(ExportGrid, {mesh, "-o", folder / "g.png"}), UsageError);
  // A run-time error is reported, and nothing is written.
  ombrix::testing::ExpectErrorLine(
      ombrix::testing::Call(ExportContours, {folder / "missing.xlsx", "-o", folder / "l.gpkg"}));
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
  // A divided map exports its divided lines: more vertices, the same levels.
  Command(ExportContours, {mesh, "-o", folder / "plain.geojson"});
  Command(ExportContours, {mesh, "-o", folder / "divided.geojson", "--divide", "2"});
  std::size_t plain_points = 0, divided_points = 0;
  for (const Line& l : ReadLines(folder / "plain.geojson"))
    plain_points += l.points.size();
  for (const Line& l : ReadLines(folder / "divided.geojson"))
    divided_points += l.points.size();
  EXPECT_GT(divided_points, plain_points);
}

}  // namespace
}  // namespace ombrix::cli
