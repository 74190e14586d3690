#include "gis/raster_mesh.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "gis/gdal_handles.h"
#include "import/mesh_import.h"
#include "model/run_error.h"

namespace ombrix::gis {
namespace {

// The cells of the mesh layout: F3 columns, D5 rows, row 4 from G the x coordinates, column E
// from row 6 the y coordinates, the block from G6 the values.
class RasterMesh : public Workbook {
 public:
  RasterMesh(std::string name, std::int32_t nx, std::int32_t ny, std::vector<double> x,
             std::vector<double> y, std::vector<double> values, std::vector<bool> blank)
      : name_(std::move(name)),
        nx_(nx),
        ny_(ny),
        x_(std::move(x)),
        y_(std::move(y)),
        values_(std::move(values)),
        blank_(std::move(blank)) {}

  CellValue Cell(std::int32_t row, std::int32_t col) const override {
    if (row == 3 && col == 6)
      return CellValue::Number(nx_);
    if (row == 5 && col == 4)
      return CellValue::Number(ny_);
    const std::int64_t j = std::int64_t{col} - 6;
    const std::int64_t i = std::int64_t{row} - 5;
    if (row == 4 && j >= 1 && j <= nx_)
      return CellValue::Number(x_[static_cast<std::size_t>(j - 1)]);
    if (col == 5 && i >= 1 && i <= ny_)
      return CellValue::Number(y_[static_cast<std::size_t>(i - 1)]);
    if (i >= 1 && i <= ny_ && j >= 1 && j <= nx_) {
      const std::size_t k = static_cast<std::size_t>((i - 1) * nx_ + (j - 1));
      return blank_[k] ? CellValue::Empty() : CellValue::Number(values_[k]);
    }
    return CellValue::Empty();
  }
  std::string ActiveSheetName() const override { return name_; }

 private:
  std::string name_;
  std::int32_t nx_;
  std::int32_t ny_;
  std::vector<double> x_;
  std::vector<double> y_;
  std::vector<double> values_;
  std::vector<bool> blank_;
};

[[noreturn]] void Refuse(int number, const std::string& path, const std::string& why) {
  throw RunError(number, "ラスター \"" + path + "\" はメッシュとして読めません: " + why);
}

Dataset OpenRaster(const std::string& path) {
  EnsureGdal();
  // ASCII grids would otherwise be read in single precision; other drivers ignore the option.
  const char* const options[] = {"DATATYPE=Float64", nullptr};
  return Dataset(
      GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, options, nullptr));
}

}  // namespace

bool IsRaster(const std::string& path) {
  const QuietGdal quiet;
  const Dataset dataset = OpenRaster(path);
  return dataset && GDALGetRasterCount(dataset.get()) >= 1;
}

std::unique_ptr<Workbook> OpenRasterMesh(const std::string& path) {
  const QuietGdal quiet;
  const Dataset dataset = OpenRaster(path);
  if (!dataset) {
    Refuse(err::kBadFileFormat, path, "GDAL が開けません (" + LastGdalError() + ")");
  }
  GDALDatasetH ds = dataset.get();
  if (GDALGetRasterCount(ds) < 1) {
    Refuse(err::kBadFileFormat, path, "バンドがありません");
  }
  const std::int64_t nx = GDALGetRasterXSize(ds);
  const std::int64_t ny = GDALGetRasterYSize(ds);
  if (nx * ny > kMaxMeshNodes) {
    Refuse(err::kOutOfMemory, path,
           std::to_string(nx) + " × " + std::to_string(ny) + " 個の節点はメッシュの上限 " +
               std::to_string(kMaxMeshNodes) + " を超えます");
  }
  double gt[6];
  if (GDALGetGeoTransform(ds, gt) != CE_None) {
    Refuse(err::kBadFileFormat, path, "座標 (ジオトランスフォーム) がありません");
  }
  if (gt[2] != 0 || gt[4] != 0) {
    Refuse(err::kBadFileFormat, path, "回転した格子です (回転項が 0 ではありません)");
  }
  if (!(gt[1] > 0) || !(gt[5] < 0)) {
    Refuse(err::kBadFileFormat, path,
           "北が上の格子ではありません (セルの幅が正、高さが負であること)");
  }
  std::vector<double> x(static_cast<std::size_t>(nx));
  std::vector<double> y(static_cast<std::size_t>(ny));
  for (std::int64_t j = 0; j < nx; ++j) {
    x[static_cast<std::size_t>(j)] = gt[0] + (static_cast<double>(j) + 0.5) * gt[1];
  }
  for (std::int64_t i = 0; i < ny; ++i) {
    y[static_cast<std::size_t>(i)] = gt[3] + (static_cast<double>(i) + 0.5) * gt[5];
  }
  std::vector<double> values(static_cast<std::size_t>(nx * ny));
  GDALRasterBandH band = GDALGetRasterBand(ds, 1);
  if (GDALRasterIO(band, GF_Read, 0, 0, static_cast<int>(nx), static_cast<int>(ny), values.data(),
                   static_cast<int>(nx), static_cast<int>(ny), GDT_Float64, 0, 0) != CE_None) {
    Refuse(err::kBadFileFormat, path, "値を読めません (" + LastGdalError() + ")");
  }
  int has_nodata = 0;
  const double nodata = GDALGetRasterNoDataValue(band, &has_nodata);
  std::vector<bool> blank(values.size());
  for (std::size_t k = 0; k < values.size(); ++k) {
    blank[k] = std::isnan(values[k]) || (has_nodata != 0 && values[k] == nodata);
    if (!blank[k] && !std::isfinite(values[k])) {
      Refuse(err::kBadFileFormat, path, "有限でない値があります");
    }
  }
  return std::make_unique<RasterMesh>(std::filesystem::path(path).filename().string(),
                                      static_cast<std::int32_t>(nx), static_cast<std::int32_t>(ny),
                                      std::move(x), std::move(y), std::move(values),
                                      std::move(blank));
}

}  // namespace ombrix::gis
