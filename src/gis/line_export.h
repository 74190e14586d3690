#pragma once
// Contour lines out to GIS and CAD files through OGR: GeoPackage, Shapefile and GeoJSON get a
// line string per line with the fields `level` and `index` (1 for an index line); DXF gets a
// 3-D polyline per line at the level's elevation, on the layer "CONTOUR" or, for index lines,
// "CONTOUR_INDEX" (drawn red, the others blue).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "contour/contour_polylines.h"
#include "gis/gdal_handles.h"
#include "gis/staging_folder.h"

namespace ombrix::gis {

enum class LineFormat { GeoPackage, Shapefile, GeoJson, Dxf };

// The format a file name asks for by its extension (.gpkg, .shp, .geojson or .json, .dxf; any
// case); nothing for any other.
std::optional<LineFormat> LineFormatFor(const std::string& path);

// Whether OGR understands `text` as a spatial reference ("EPSG:6677", WKT, PROJ).
bool IsSpatialReference(const std::string& text);

// Writes lines as they come into a staging folder beside the target and moves the finished
// files into place on Commit; a writer dropped before that leaves the target as it was.
// Errors are RunError 75 naming the file and GDAL's reason.
class LineFileWriter {
 public:
  // `srs` empty: no spatial reference.
  LineFileWriter(const std::string& path, LineFormat format, const std::string& srs);
  ~LineFileWriter();
  LineFileWriter(const LineFileWriter&) = delete;
  LineFileWriter& operator=(const LineFileWriter&) = delete;

  void Write(const LevelLines& level);
  // Finishes the file(s) and puts them in place; returns how many lines were written.
  std::int64_t Commit();

 private:
  [[noreturn]] void Fail(const std::string& what) const;

  std::string path_;
  LineFormat format_;
  std::unique_ptr<StagingFolder> staging_;
  Dataset dataset_;
  void* layer_ = nullptr;  // owned by the dataset
  int level_field_ = -1;
  int index_field_ = -1;
  int layer_field_ = -1;  // DXF: the entity's layer
  std::int64_t written_ = 0;
};

}  // namespace ombrix::gis
