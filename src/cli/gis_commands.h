#pragma once
// `ombrix contours` and `ombrix grid`: the contour lines and the node values of a mesh out to
// GIS and CAD files through GDAL/OGR.

#include <ostream>
#include <string>
#include <vector>

namespace ombrix::cli {

// contours MESH -o OUT.gpkg|.shp|.geojson|.dxf [--interval N] [--divide D]
// [--points POINTS --optimise [--initial weighted|mean] [--solver relaxation|exact]]
// [--srs SRS]: every level's drawn lines, joined, as the map would draw them; prints
// "lines,N,PATH".
int ExportContours(const std::vector<std::string>& args, std::ostream& out);

// grid MESH -o OUT.tif|.asc [--points POINTS --optimise [--initial …] [--solver …]]
// [--srs SRS]: the (fitted) node values as a raster; prints "grid,NX,NY,PATH".
int ExportGrid(const std::vector<std::string>& args, std::ostream& out);

}  // namespace ombrix::cli
