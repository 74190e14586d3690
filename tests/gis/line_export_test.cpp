#include "gis/line_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

struct ReadFeature {
  std::string layer;  // DXF: the entity's layer
  int level = 0;
  int index = 0;
  std::vector<std::array<double, 3>> points;
};

std::vector<ReadFeature> ReadBack(const std::string& path) {
  EnsureGdal();
  const Dataset ds(GDALOpenEx(path.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr));
  EXPECT_TRUE(ds) << path;
  std::vector<ReadFeature> out;
  if (!ds)
    return out;
  OGRLayerH layer = GDALDatasetGetLayer(ds.get(), 0);
  OGRFeatureDefnH defn = OGR_L_GetLayerDefn(layer);
  OGR_L_ResetReading(layer);
  for (OGRFeatureH f; (f = OGR_L_GetNextFeature(layer)) != nullptr;) {
    const Feature owned(f);
    ReadFeature r;
    if (const int k = OGR_FD_GetFieldIndex(defn, "Layer"); k >= 0)
      r.layer = OGR_F_GetFieldAsString(f, k);
    if (const int k = OGR_FD_GetFieldIndex(defn, "level"); k >= 0)
      r.level = OGR_F_GetFieldAsInteger(f, k);
    if (const int k = OGR_FD_GetFieldIndex(defn, "index"); k >= 0)
      r.index = OGR_F_GetFieldAsInteger(f, k);
    OGRGeometryH g = OGR_F_GetGeometryRef(f);
    for (int p = 0; p < OGR_G_GetPointCount(g); ++p)
      r.points.push_back({OGR_G_GetX(g, p), OGR_G_GetY(g, p), OGR_G_GetZ(g, p)});
    out.push_back(std::move(r));
  }
  return out;
}

TEST(LineExport, EveryFormatReadsBackWithItsFieldsAndExactGeometry) {
  TempFolder folder;
  const std::vector<LevelLines> levels = SampleLevels();
  for (const char* name : {"lines.gpkg", "lines.shp", "lines.geojson", "lines.dxf"}) {
    SCOPED_TRACE(name);
    const std::string path = folder / name;
    const LineFormat format = *LineFormatFor(path);
    {
      LineFileWriter writer(path, format, format == LineFormat::Dxf ? "" : "EPSG:6677");
      for (const LevelLines& l : levels)
        writer.Write(l);
      EXPECT_EQ(writer.Commit(), 3);
    }
    const std::vector<ReadFeature> read = ReadBack(path);
    ASSERT_EQ(read.size(), 3u);
    std::size_t k = 0;
    for (const LevelLines& l : levels) {
      for (const ContourPolyline& line : l.lines) {
        const ReadFeature& r = read[k++];
        if (format == LineFormat::Dxf) {
          EXPECT_EQ(r.layer, l.index ? "CONTOUR_INDEX" : "CONTOUR");
        } else {
          EXPECT_EQ(r.level, l.level);
          EXPECT_EQ(r.index, l.index ? 1 : 0);
        }
        ASSERT_EQ(r.points.size(), line.points.size());
        for (std::size_t p = 0; p < line.points.size(); ++p) {
          // DXF keeps 15 significant digits; the others every bit.
          const double tolerance = format == LineFormat::Dxf ? 1e-9 : 0;
          EXPECT_NEAR(r.points[p][0], line.points[p].x, tolerance);
          EXPECT_NEAR(r.points[p][1], line.points[p].y, tolerance);
          if (format == LineFormat::Dxf) {
            EXPECT_EQ(r.points[p][2], l.level);  // the elevation
          }
        }
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
  std::string content;
  std::getline(in, content);
  EXPECT_EQ(content, "earlier");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);

  EXPECT_FALSE(LineFormatFor("lines.kml"));
  EXPECT_EQ(LineFormatFor("LINES.GPKG"), LineFormat::GeoPackage);
  EXPECT_TRUE(IsSpatialReference("EPSG:6677"));
  EXPECT_FALSE(IsSpatialReference("EPSG:nonsense"));
  try {
    LineFileWriter writer(folder / "no/such/folder/lines.gpkg", LineFormat::GeoPackage, "");
    FAIL() << "a folder that does not exist was accepted";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), err::kPathFileAccess);
    EXPECT_NE(std::string(e.what()).find("no/such/folder"), std::string::npos);
  }
}

}  // namespace
}  // namespace ombrix::gis
