#pragma once
// The window's "等高線データ" item under "ファイル書込": the lines of the map last drawn, saved
// through OGR in the format the file dialog's name asks for.

#include <string_view>

#include "platform/command_context.h"

namespace ombrix::gis {

// The save dialog's filter: the four line formats.
inline constexpr std::string_view kLineFileFilter =
    "GeoPackage (*.gpkg)|*.gpkg|シェープファイル (*.shp)|*.shp|GeoJSON (*.geojson)|*.geojson|"
    "DXF (*.dxf)|*.dxf|";

// Without a drawn map it says so; a cancelled dialog or drawing writes nothing; a failure ends
// in the error report with the writing closing line, leaving any earlier file as it was.
void SaveContourLines_Click(CommandContext& ctx);

}  // namespace ombrix::gis
