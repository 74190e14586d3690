#pragma once
// The mesh's node values out as a raster grid through GDAL: GeoTIFF or ESRI ASCII grid, one
// Float64 band, each node the centre of a raster cell, blank nodes as nodata. Only a mesh with
// evenly spaced columns and rows (x rising, y falling) is such a grid.

#include <optional>
#include <string>

#include "model/mesh_model.h"

namespace ombrix::gis {

enum class GridFormat { GeoTiff, AsciiGrid };

// .tif/.tiff or .asc (any case); nothing for any other name.
std::optional<GridFormat> GridFormatFor(const std::string& path);

// Why the mesh cannot be written as a grid (uneven spacing, a single row or column), or "" when
// it can.
std::string GridRefusal(const MeshModel& model);

// The nodata value: -9999 unless a node holds it, then a whole number below every value.
double NodataFor(const MeshModel& model);

// Writes the grid through a staging folder (see StagingFolder). `srs` empty: none. RunError 13
// with GridRefusal's reason, 75 for a file GDAL cannot write.
void WriteGrid(const MeshModel& model, const std::string& path, GridFormat format,
               const std::string& srs);

}  // namespace ombrix::gis
