#pragma once
// The background map under the plot ("背景データ") and the sprite step that combines a second
// picture with it ("スプライト処理").

#include <cstdint>
#include <string>
#include <string_view>

#include "model/main_window_state.h"
#include "model/mesh_model.h"
#include "platform/command_context.h"

namespace ombrix {

// The file-open dialog filters of the two commands.
inline constexpr std::string_view kMapFilter =
    "画像 ファイル (*.gif,*.jpg,*.jpeg)|*.jpeg;*.jpg;*.gif";
inline constexpr std::string_view kSpriteFilter =
    "画像 ファイル (*.bmp,*.gif,*.jpg,*.jpeg)|*.bmp;*.jpeg;*.jpg;*.gif";
// Their titles.
inline constexpr std::string_view kMapDialogTitle = "背景データ（地図の画像）を開く";
inline constexpr std::string_view kSpriteDialogTitle = "スプライトの画像を開く";

// The destination of the map painting: the corner (MapLeft, MapTop) and the size MapWidth x
// MapHeight, all in pixels of the drawing area.
struct MapDestination {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;
};
MapDestination MapPaintDestination(const MeshModel& m);

// `picture` stretched onto the map's destination with `op`; the source rectangle is the whole
// map picture, so a sprite is read over the map's size and not its own.
void PaintOverMap(DrawingSurface& surface, const MeshModel& m, const Picture& map_picture,
                  const Picture& picture, RasterOp op);

// The map painting: the whole map picture copied onto its destination.
void PaintMap(DrawingSurface& surface, const MeshModel& m, const MainWindowState& w);

// Clears the drawing area (the contour plot goes), paints the map and outlines the plot frame,
// all in pixels.
void RepaintMapView(CommandContext& ctx);

// Reads the picture file at `path` as the new map, places it at the plot frame's corner at its
// own pixel size, sets MapLoaded to 1 and paints it at once over what the drawing area shows.
// A map already held is dropped first, and the area is then repainted as the map keys do so
// that nothing of the old picture stays on it. Run-time errors are thrown; the caller sets
// MapLoaded to 0 after one.
void LoadMap(CommandContext& ctx, const std::string& path);

// Menu item "背景データ": asks for a GIF or JPEG file and loads it as the map. Cancelling the
// dialog changes nothing. A failure is reported ("読み込みを中断します。") and leaves
// MapLoaded at 0.
void LoadMap_Click(CommandContext& ctx);

// Menu item "スプライト処理": asks for a BMP, GIF or JPEG file as the sprite, then ORs the map
// onto the drawing area and ANDs the sprite onto the same rectangle. Cancelling the dialog
// changes nothing. A failure, a missing map picture included, is reported and leaves
// MapLoaded at 0.
void Sprite_Click(CommandContext& ctx);

}  // namespace ombrix
