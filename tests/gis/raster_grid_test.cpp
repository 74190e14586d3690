#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "fakes/error_capture.h"
#include "fakes/temp_folder.h"
#include "gis/gdal_handles.h"
#include "gis/grid_export.h"
#include "gis/mesh_file_opener.h"
#include "gis/raster_mesh.h"
#include "import/mesh_import.h"
#include "model/run_error.h"

namespace ombrix::gis {
namespace {

using testing::TempFolder;

// 5 x 4 nodes, 2.5 apart across and 0.1 apart down (not a binary fraction), one blank node
// and one node holding the usual nodata value.
MeshModel SampleMesh() {
  MeshModel m;
  AllocateMesh(m, 5, 4);
  for (int j = 1; j <= 5; ++j)
    m.NodeX(j) = 100 + (j - 1) * 2.5;
  for (int i = 1; i <= 4; ++i)
    m.NodeY(i) = 0.1 * (4 - i);
  for (int i = 1; i <= 4; ++i)
    for (int j = 1; j <= 5; ++j)
      m.NodeValue(i, j) = std::sin(i * 1.3 + j) * 100;
  m.NodeBlank(2, 3) = 1;
  m.NodeValue(2, 3) = 0;
  m.NodeValue(4, 5) = -9999;
  return m;
}

TEST(RasterGrid, BothFormatsReadBackAsTheSameMesh) {
  TempFolder folder;
  const MeshModel m = SampleMesh();
  EXPECT_EQ(NodataFor(m), -10000);  // -9999 is taken by a value
  for (const char* name : {"grid.tif", "grid.asc"}) {
    SCOPED_TRACE(name);
    const std::string path = folder / name;
    WriteGrid(m, path, *GridFormatFor(path), "EPSG:6677");
    const MeshData d = ReadMeshWorkbook(*MeshFileOpener().Open(path));
    ASSERT_EQ(d.NodeCountX, 5);
    ASSERT_EQ(d.NodeCountY, 4);
    for (int i = 1; i <= 4; ++i) {
      EXPECT_NEAR(d.NodeY(i), m.NodeY(i), 1e-12);
      for (int j = 1; j <= 5; ++j) {
        EXPECT_NEAR(d.NodeX(j), m.NodeX(j), 1e-12);
        EXPECT_EQ(d.NodeBlank(i, j), m.NodeBlank(i, j)) << i << "," << j;
        EXPECT_EQ(d.NodeValue(i, j), m.NodeValue(i, j)) << i << "," << j;
      }
    }
    EXPECT_EQ(d.MembraneWeight, 0);  // a raster carries no optimiser parameters
  }
}

void MakeRaster(const std::string& path, int nx, int ny, std::array<double, 6> gt) {
  EnsureGdal();
  const char* const options[] = {"SPARSE_OK=TRUE", nullptr};
  const Dataset ds(GDALCreate(GDALGetDriverByName("GTiff"), path.c_str(), nx, ny, 1, GDT_Float32,
                              const_cast<char**>(options)));
  GDALSetGeoTransform(ds.get(), gt.data());
}

TEST(RasterGrid, MeshesThatAreNoGridAndRastersThatMakeNoMeshAreRefused) {
  TempFolder folder;
  MeshModel uneven = SampleMesh();
  uneven.NodeX(4) += 0.5;
  const RunError e = ErrorOf([&] { WriteGrid(uneven, folder / "u.tif", GridFormat::GeoTiff, ""); });
  EXPECT_EQ(e.number(), err::kTypeMismatch);
  EXPECT_NE(std::string(e.what()).find("4 列目"), std::string::npos) << e.what();
  MeshModel one_row;
  AllocateMesh(one_row, 3, 1);
  EXPECT_NE(GridRefusal(one_row), "");
  MeshModel rising = SampleMesh();
  for (int i = 1; i <= 4; ++i)
    rising.NodeY(i) = 0.1 * i;  // y upwards down the rows
  EXPECT_NE(GridRefusal(rising), "");
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
  // Rasters that make no mesh, the other way.
  MakeRaster(folder / "rotated.tif", 4, 4, {0, 1, 0.2, 10, 0.1, -1});
  MakeRaster(folder / "south_up.tif", 4, 4, {0, 1, 0, 0, 0, 1});
  MakeRaster(folder / "huge.tif", 6000, 5000, {0, 1, 0, 0, 0, -1});
  const RunError rotated = ErrorOf([&] { OpenRasterMesh(folder / "rotated.tif"); });
  EXPECT_EQ(rotated.number(), err::kBadFileFormat);
  EXPECT_NE(std::string(rotated.what()).find("回転"), std::string::npos);
  EXPECT_NE(std::string(rotated.what()).find("rotated.tif"), std::string::npos);
  EXPECT_EQ(ErrorOf([&] { OpenRasterMesh(folder / "south_up.tif"); }).number(),
            err::kBadFileFormat);
  const RunError huge = ErrorOf([&] { OpenRasterMesh(folder / "huge.tif"); });
  EXPECT_EQ(huge.number(), err::kOutOfMemory);
  EXPECT_NE(std::string(huge.what()).find("6000 × 5000"), std::string::npos) << huge.what();
  // Neither a workbook nor a raster: the workbook layer's refusal, saying both.
  std::ofstream(folder / "notes.txt") << "not a mesh";
  const RunError neither = ErrorOf([&] { MeshFileOpener().Open(folder / "notes.txt"); });
  EXPECT_EQ(neither.number(), err::kBadFileFormat);
  EXPECT_NE(std::string(neither.what()).find("ラスター"), std::string::npos);
  EXPECT_EQ(ErrorOf([&] { MeshFileOpener().Open(folder / "missing.tif"); }).number(),
            err::kFileNotFound);
  // A broken workbook is not said to be no raster either: GDAL never saw it.
  std::ofstream(folder / "broken.xlsx") << "PK\x03\x04 not an archive";
  const RunError broken = ErrorOf([&] { MeshFileOpener().Open(folder / "broken.xlsx"); });
  EXPECT_EQ(broken.number(), err::kBadFileFormat);
  EXPECT_EQ(std::string(broken.what()).find("ラスター"), std::string::npos) << broken.what();
}

}  // namespace
}  // namespace ombrix::gis
