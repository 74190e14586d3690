#include "gis/line_export.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include <cpl_string.h>

#include "model/run_error.h"

namespace ombrix::gis {
namespace fs = std::filesystem;

namespace {

const char* DriverName(LineFormat format) {
  switch (format) {
    case LineFormat::GeoPackage:
      return "GPKG";
    case LineFormat::Shapefile:
      return "ESRI Shapefile";
    case LineFormat::GeoJson:
      return "GeoJSON";
    case LineFormat::Dxf:
      return "DXF";
  }
  return "";
}

}  // namespace

std::optional<LineFormat> LineFormatFor(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext == ".gpkg")
    return LineFormat::GeoPackage;
  if (ext == ".shp")
    return LineFormat::Shapefile;
  if (ext == ".geojson" || ext == ".json")
    return LineFormat::GeoJson;
  if (ext == ".dxf")
    return LineFormat::Dxf;
  return std::nullopt;
}

bool IsSpatialReference(const std::string& text) {
  EnsureGdal();
  const QuietGdal quiet;
  const SpatialReference srs(OSRNewSpatialReference(nullptr));
  return OSRSetFromUserInput(static_cast<OGRSpatialReferenceH>(srs.get()), text.c_str()) ==
         OGRERR_NONE;
}

LineFileWriter::LineFileWriter(const std::string& path, LineFormat format, const std::string& srs)
    : path_(path), format_(format) {
  EnsureGdal();
  const QuietGdal quiet;
  GDALDriverH driver = GDALGetDriverByName(DriverName(format));
  if (driver == nullptr) {
    Fail(std::string("GDAL に ") + DriverName(format) + " の書き込み機能がありません");
  }
  staging_ = std::make_unique<StagingFolder>(path);
  dataset_.reset(GDALCreate(driver, staging_->staged().c_str(), 0, 0, 0, GDT_Unknown, nullptr));
  if (!dataset_) {
    Fail("作成できません");
  }
  SpatialReference reference;
  if (!srs.empty() && format != LineFormat::Dxf) {
    reference.reset(OSRNewSpatialReference(nullptr));
    auto* h = static_cast<OGRSpatialReferenceH>(reference.get());
    if (OSRSetFromUserInput(h, srs.c_str()) != OGRERR_NONE) {
      Fail("座標参照系 \"" + srs + "\" を解釈できません");
    }
    OSRSetAxisMappingStrategy(h, OAMS_TRADITIONAL_GIS_ORDER);
  }
  char** options = nullptr;
  if (format == LineFormat::GeoJson) {
    options =
        CSLSetNameValue(options, "SIGNIFICANT_FIGURES", "17");  // coordinates read back exactly
  }
  const OGRwkbGeometryType type = format == LineFormat::Dxf ? wkbLineString25D : wkbLineString;
  layer_ =
      GDALDatasetCreateLayer(dataset_.get(), "contours",
                             static_cast<OGRSpatialReferenceH>(reference.get()), type, options);
  CSLDestroy(options);
  if (layer_ == nullptr) {
    Fail("レイヤーを作成できません");
  }
  auto* layer = static_cast<OGRLayerH>(layer_);
  if (format == LineFormat::Dxf) {
    layer_field_ = OGR_FD_GetFieldIndex(OGR_L_GetLayerDefn(layer), "Layer");
  } else {
    for (const char* name : {"level", "index"}) {
      OGRFieldDefnH field = OGR_Fld_Create(name, OFTInteger);
      const OGRErr created = OGR_L_CreateField(layer, field, TRUE);
      OGR_Fld_Destroy(field);
      if (created != OGRERR_NONE) {
        Fail(std::string("属性 ") + name + " を作成できません");
      }
    }
    level_field_ = OGR_FD_GetFieldIndex(OGR_L_GetLayerDefn(layer), "level");
    index_field_ = OGR_FD_GetFieldIndex(OGR_L_GetLayerDefn(layer), "index");
  }
  // One transaction for the whole file where the format has them (GeoPackage): a commit per
  // feature would dominate the time.
  GDALDatasetStartTransaction(dataset_.get(), FALSE);
}

LineFileWriter::~LineFileWriter() {
  dataset_.reset();  // closed before its folder goes
}

void LineFileWriter::Fail(const std::string& what) const {
  const std::string reason = LastGdalError();
  throw RunError(err::kPathFileAccess, "線の出力ファイル \"" + path_ + "\": " + what +
                                           (reason.empty() ? "" : " (" + reason + ")"));
}

void LineFileWriter::Write(const LevelLines& level) {
  const QuietGdal quiet;
  auto* layer = static_cast<OGRLayerH>(layer_);
  const double z = static_cast<double>(level.level);
  for (const ContourPolyline& line : level.lines) {
    const Feature feature(OGR_F_Create(OGR_L_GetLayerDefn(layer)));
    auto* f = static_cast<OGRFeatureH>(feature.get());
    Geometry geometry(
        OGR_G_CreateGeometry(format_ == LineFormat::Dxf ? wkbLineString25D : wkbLineString));
    auto* g = static_cast<OGRGeometryH>(geometry.get());
    OGR_G_SetPointCount(g, static_cast<int>(line.points.size()));
    for (std::size_t k = 0; k < line.points.size(); ++k) {
      if (format_ == LineFormat::Dxf) {
        OGR_G_SetPoint(g, static_cast<int>(k), line.points[k].x, line.points[k].y, z);
      } else {
        OGR_G_SetPoint_2D(g, static_cast<int>(k), line.points[k].x, line.points[k].y);
      }
    }
    if (format_ == LineFormat::Dxf) {
      OGR_F_SetFieldString(f, layer_field_, level.index ? "CONTOUR_INDEX" : "CONTOUR");
      OGR_F_SetStyleString(f, level.index ? "PEN(c:#FF0000)" : "PEN(c:#0000FF)");
    } else {
      OGR_F_SetFieldInteger(f, level_field_, level.level);
      OGR_F_SetFieldInteger(f, index_field_, level.index ? 1 : 0);
    }
    OGR_F_SetGeometryDirectly(f, geometry.release());
    if (OGR_L_CreateFeature(layer, f) != OGRERR_NONE) {
      Fail("線を書き込めません");
    }
    ++written_;
  }
}

std::int64_t LineFileWriter::Commit() {
  {
    const QuietGdal quiet;
    GDALDatasetCommitTransaction(dataset_.get());
    CPLErrorReset();
    dataset_.reset();  // closing writes what is still buffered
    if (CPLGetLastErrorType() >= CE_Failure) {
      Fail("書き込みを完了できません");
    }
  }
  staging_->MoveIntoPlace();
  return written_;
}

}  // namespace ombrix::gis
