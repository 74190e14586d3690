#pragma once
// A raster grid read as a mesh workbook: band 1 of a north-up raster (GeoTIFF, ESRI ASCII grid,
// anything GDAL reads) presents the cells a mesh workbook holds, so every mesh command takes it
// as it takes a workbook. Nodes are the raster's cell centres, row 1 the northern row (largest
// y, as in the workbook layout); nodata and NaN cells are blank nodes. The optimiser's
// parameters are not in a raster: their cells read as empty.

#include <memory>
#include <string>

#include "platform/workbook.h"

namespace ombrix::gis {

// Reads the raster at `path`. Error 321 when GDAL cannot read it as a raster or its geometry
// does not make a mesh (rotation terms, not north-up), error 7 when it holds more nodes than a
// mesh may have; each description names the file and the reason.
std::unique_ptr<Workbook> OpenRasterMesh(const std::string& path);

// Whether GDAL opens `path` as a raster at all.
bool IsRaster(const std::string& path);

}  // namespace ombrix::gis
