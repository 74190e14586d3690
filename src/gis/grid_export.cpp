#include "gis/grid_export.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <vector>

#include <cpl_string.h>

#include "gis/gdal_handles.h"
#include "gis/staging_folder.h"
#include "model/run_error.h"

namespace ombrix::gis {
namespace {

// Spacings may differ by this share of the whole extent and still count as even: workbook
// coordinates typed or computed in decimals are rarely exact binary fractions.
constexpr double kSpacingTolerance = 1e-9;

// Index of the first coordinate off the even spacing from first to last, or 0.
std::int32_t UnevenAt(const BoundedArray<double>& c, std::int32_t n) {
  const double first = c(1);
  const double step = (c(n) - first) / (n - 1);
  const double tolerance = kSpacingTolerance * std::abs(c(n) - first);
  for (std::int32_t k = 2; k < n; ++k) {
    if (std::abs(c(k) - (first + (k - 1) * step)) > tolerance) {
      return k;
    }
  }
  return 0;
}

[[noreturn]] void Fail(const std::string& path, const std::string& what) {
  const std::string reason = LastGdalError();
  throw RunError(err::kPathFileAccess, "格子の出力ファイル \"" + path + "\": " + what +
                                           (reason.empty() ? "" : " (" + reason + ")"));
}

}  // namespace

std::optional<GridFormat> GridFormatFor(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext == ".tif" || ext == ".tiff")
    return GridFormat::GeoTiff;
  if (ext == ".asc")
    return GridFormat::AsciiGrid;
  return std::nullopt;
}

std::string GridRefusal(const MeshModel& m) {
  if (m.NodeCountX < 2 || m.NodeCountY < 2) {
    return "メッシュに 2 列 2 行以上がないと格子になりません";
  }
  if (!(m.NodeX(m.NodeCountX) > m.NodeX(1))) {
    return "x 座標が左から右へ増えていません";
  }
  if (!(m.NodeY(1) > m.NodeY(m.NodeCountY))) {
    return "y 座標が上から下へ減っていません";
  }
  if (const std::int32_t j = UnevenAt(m.NodeX, m.NodeCountX); j != 0) {
    return "列の間隔が等しくありません (" + std::to_string(j) +
           " 列目の x 座標): 間隔の不均一なメッシュは格子として書けません";
  }
  if (const std::int32_t i = UnevenAt(m.NodeY, m.NodeCountY); i != 0) {
    return "行の間隔が等しくありません (" + std::to_string(i) +
           " 行目の y 座標): 間隔の不均一なメッシュは格子として書けません";
  }
  return {};
}

double NodataFor(const MeshModel& m) {
  double lowest = 0;
  bool taken = false;
  for (std::int32_t i = 1; i <= m.NodeCountY; ++i) {
    for (std::int32_t j = 1; j <= m.NodeCountX; ++j) {
      if (m.NodeBlank(i, j) == 0) {
        lowest = std::min(lowest, m.NodeValue(i, j));
        taken = taken || m.NodeValue(i, j) == -9999.0;
      }
    }
  }
  return taken ? std::floor(lowest) - 1 : -9999.0;
}

void WriteGrid(const MeshModel& m, const std::string& path, GridFormat format,
               const std::string& srs) {
  if (const std::string refusal = GridRefusal(m); !refusal.empty()) {
    throw RunError(err::kTypeMismatch, refusal);
  }
  EnsureGdal();
  const QuietGdal quiet;
  const int nx = m.NodeCountX;
  const int ny = m.NodeCountY;
  const double dx = (m.NodeX(nx) - m.NodeX(1)) / (nx - 1);
  const double dy = (m.NodeY(1) - m.NodeY(ny)) / (ny - 1);
  const double nodata = NodataFor(m);

  GDALDriverH mem = GDALGetDriverByName("MEM");
  const Dataset grid(GDALCreate(mem, "", nx, ny, 1, GDT_Float64, nullptr));
  if (!grid) {
    Fail(path, "メモリ上の格子を作れません");
  }
  double gt[6] = {m.NodeX(1) - dx / 2, dx, 0, m.NodeY(1) + dy / 2, 0, -dy};
  GDALSetGeoTransform(grid.get(), gt);
  if (!srs.empty()) {
    const SpatialReference reference(OSRNewSpatialReference(nullptr));
    auto* h = static_cast<OGRSpatialReferenceH>(reference.get());
    if (OSRSetFromUserInput(h, srs.c_str()) != OGRERR_NONE) {
      Fail(path, "座標参照系 \"" + srs + "\" を解釈できません");
    }
    GDALSetSpatialRef(grid.get(), h);
  }
  GDALRasterBandH band = GDALGetRasterBand(grid.get(), 1);
  GDALSetRasterNoDataValue(band, nodata);
  std::vector<double> row(static_cast<std::size_t>(nx));
  for (int i = 1; i <= ny; ++i) {
    for (int j = 1; j <= nx; ++j) {
      row[static_cast<std::size_t>(j - 1)] = m.NodeBlank(i, j) != 0 ? nodata : m.NodeValue(i, j);
    }
    if (GDALRasterIO(band, GF_Write, 0, i - 1, nx, 1, row.data(), nx, 1, GDT_Float64, 0, 0) !=
        CE_None) {
      Fail(path, "格子に値を書けません");
    }
  }

  StagingFolder staging(path);
  const char* driver_name = format == GridFormat::GeoTiff ? "GTiff" : "AAIGrid";
  GDALDriverH driver = GDALGetDriverByName(driver_name);
  if (driver == nullptr) {
    Fail(path, std::string("GDAL に ") + driver_name + " の書き込み機能がありません");
  }
  char** options = nullptr;
  if (format == GridFormat::AsciiGrid) {
    options = CSLSetNameValue(options, "SIGNIFICANT_DIGITS", "17");  // values read back exactly
  } else {
    options = CSLSetNameValue(options, "COMPRESS", "DEFLATE");
  }
  Dataset written(GDALCreateCopy(driver, staging.staged().c_str(), grid.get(), FALSE, options,
                                 nullptr, nullptr));
  CSLDestroy(options);
  if (!written) {
    Fail(path, "書き込めません");
  }
  GDALFlushCache(written.get());
  if (CPLGetLastErrorType() >= CE_Failure) {
    Fail(path, "書き込みを完了できません");
  }
  // Closed before the files move.
  written.reset();
  staging.MoveIntoPlace();
}

}  // namespace ombrix::gis
