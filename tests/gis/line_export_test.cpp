#include "gis/line_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fakes/error_capture.h"
#include "fakes/temp_folder.h"
#include "model/run_error.h"

namespace ombrix::gis {
namespace {

using testing::TempFolder;

// Two levels: an index level with a closed ring and an open line, an ordinary one with a line
// whose coordinates need all 17 digits.
std::vector<LevelLines> SampleLevels() {
  LevelLines index{10, true, {}};
  index.lines.push_back({{{0, 0}, {1, 0}, {1, 1}, {0, 0}}, true});
  index.lines.push_back({{{2, 2}, {3, 2.5}}, false});
  LevelLines plain{11, false, {}};
  plain.lines.push_back({{{0.1, 1.0 / 3}, {2.0 / 3, 0.7}, {1e5 + 0.123456789, -4.25}}, false});
  return {index, plain};
}

TEST(LineExport, EveryFormatReadsBackWithItsFieldsAndExactGeometry) {
  TempFolder folder;
  const std::vector<LevelLines> levels = SampleLevels();
  EnsureGdal();
  for (const char* name : {"lines.gpkg", "lines.shp", "lines.geojson", "lines.dxf"}) {
    SCOPED_TRACE(name);
    const std::string path = folder / name;
    const LineFormat format = *LineFormatFor(path);
    const bool dxf = format == LineFormat::Dxf;
    {
      LineFileWriter writer(path, format, dxf ? "" : "EPSG:6677");
      for (const LevelLines& l : levels)
        writer.Write(l);
      EXPECT_EQ(writer.Commit(), 3);
    }
    const Dataset ds(GDALOpenEx(path.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr));
    ASSERT_TRUE(ds);
    OGRLayerH layer = GDALDatasetGetLayer(ds.get(), 0);
    ASSERT_EQ(OGR_L_GetFeatureCount(layer, TRUE), 3);
    for (const LevelLines& l : levels)
      for (const ContourPolyline& line : l.lines) {
        const Feature f(OGR_L_GetNextFeature(layer));
        const auto field = [&](const char* n) { return OGR_F_GetFieldIndex(f.get(), n); };
        if (dxf) {
          EXPECT_STREQ(OGR_F_GetFieldAsString(f.get(), field("Layer")),
                       l.index ? "CONTOUR_INDEX" : "CONTOUR");
        } else {
          EXPECT_EQ(OGR_F_GetFieldAsInteger(f.get(), field("level")), l.level);
          EXPECT_EQ(OGR_F_GetFieldAsInteger(f.get(), field("index")), l.index ? 1 : 0);
        }
        OGRGeometryH g = OGR_F_GetGeometryRef(f.get());
        ASSERT_EQ(OGR_G_GetPointCount(g), static_cast<int>(line.points.size()));
        for (int p = 0; p < OGR_G_GetPointCount(g); ++p) {
          const double tolerance = dxf ? 1e-9 : 0;  // DXF keeps 15 significant digits
          EXPECT_NEAR(OGR_G_GetX(g, p), line.points[p].x, tolerance);
          EXPECT_NEAR(OGR_G_GetY(g, p), line.points[p].y, tolerance);
          EXPECT_EQ(OGR_G_GetZ(g, p), dxf ? l.level : 0);  // DXF: the elevation
        }
      }
    // Only the target's files remain: the staging folder is gone.
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
      EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
  }
}

TEST(LineExport, UnfinishedWriterLeavesTheEarlierFileAndBadNamesAreRefused) {
  TempFolder folder;
  const std::string path = folder / "lines.geojson";
  std::ofstream(path) << "earlier";
  {
    LineFileWriter writer(path, LineFormat::GeoJson, "");
    writer.Write(SampleLevels()[0]);
  }  // dropped: a failed or cancelled export
  std::ifstream in(path);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "earlier");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);

  EXPECT_FALSE(LineFormatFor("lines.kml"));
  EXPECT_EQ(LineFormatFor("LINES.GPKG"), LineFormat::GeoPackage);
  EXPECT_TRUE(IsSpatialReference("EPSG:6677"));
  EXPECT_FALSE(IsSpatialReference("EPSG:nonsense"));
  const RunError e = ErrorOf(
      [&] { LineFileWriter(folder / "no/such/folder/lines.gpkg", LineFormat::GeoPackage, ""); });
  EXPECT_EQ(e.number(), err::kPathFileAccess);
  EXPECT_NE(std::string(e.what()).find("no/such/folder"), std::string::npos);
}

}  // namespace
}  // namespace ombrix::gis
