#include "view/background_map.h"

#include <optional>

#include "contour/contour_lines.h"
#include "model/run_error.h"
#include "platform/command_guard.h"

namespace ombrix {
namespace {

PictureLoader& Loader(const CommandContext& ctx) {
  if (ctx.pictures == nullptr) {
    throw RunError(err::kInternalError, "この環境では画像ファイルを読み込めません。");
  }
  return *ctx.pictures;
}

// The dialog's answer, or nothing when the user cancelled (an empty name counts as that).
std::optional<std::string> AskForPicture(Dialogs& dialogs, std::string_view filter,
                                         std::string_view title) {
  std::optional<std::string> path = dialogs.OpenFile(filter, title);
  if (path && path->empty()) {
    path.reset();
  }
  return path;
}

}  // namespace

MapDestination MapPaintDestination(const MeshModel& m) {
  return MapDestination{static_cast<double>(m.MapLeft), static_cast<double>(m.MapTop),
                        static_cast<double>(m.MapWidth), static_cast<double>(m.MapHeight)};
}

void PaintOverMap(DrawingSurface& surface, const MeshModel& m, const Picture& map_picture,
                  const Picture& picture, RasterOp op) {
  const MapDestination dest = MapPaintDestination(m);
  surface.PaintPicture(picture, dest.x, dest.y, dest.width, dest.height, 0, 0, map_picture.width,
                       map_picture.height, op);
}

void PaintMap(DrawingSurface& surface, const MeshModel& m, const MainWindowState& w) {
  PaintOverMap(surface, m, w.MapPicture, w.MapPicture, RasterOp::Copy);
}

void RepaintMapView(CommandContext& ctx) {
  const MeshModel& m = ctx.model;
  DrawingSurface& area = ctx.picture;
  area.SetScaleMode(ScaleMode::Pixels);
  area.Clear();
  PaintMap(area, m, ctx.window);
  area.Box(m.FrameLeft, m.FrameTop, static_cast<double>(std::int64_t{m.FrameLeft} + m.FrameWidth),
           static_cast<double>(std::int64_t{m.FrameTop} + m.FrameHeight), kFrameColour);
  area.Refresh();
}

void LoadMap(CommandContext& ctx, const std::string& path) {
  MeshModel& m = ctx.model;
  MainWindowState& w = ctx.window;
  PictureLoader& loader = Loader(ctx);
  const bool replacing = m.MapLoaded == 1;
  if (replacing) {
    w.MapPicture = Picture{};
    m.MapLoaded = -1;
  }
  w.MapPicture = loader.LoadPicture(path);
  m.MapTop = m.FrameTop;
  m.MapLeft = m.FrameLeft;
  // The picture's own pixels, one to one on the drawing area's pixels.
  m.MapWidth = w.MapPicture.width;
  m.MapHeight = w.MapPicture.height;
  m.MapLoaded = 1;
  if (replacing) {
    RepaintMapView(ctx);
    return;
  }
  PaintMap(ctx.picture, m, w);
  ctx.picture.Refresh();
}

void LoadMap_Click(CommandContext& ctx) {
  const std::optional<std::string> path = AskForPicture(ctx.dialogs, kMapFilter, kMapDialogTitle);
  if (!path) {
    return;
  }
  const BusyPointer busy(ctx.windows);
  if (!RunGuarded(ctx.dialogs, Aborted::Loading, [&] { LoadMap(ctx, *path); })) {
    ctx.model.MapLoaded = 0;
  }
}

void Sprite_Click(CommandContext& ctx) {
  const std::optional<std::string> path =
      AskForPicture(ctx.dialogs, kSpriteFilter, kSpriteDialogTitle);
  if (!path) {
    return;
  }
  const BusyPointer busy(ctx.windows);
  MeshModel& m = ctx.model;
  MainWindowState& w = ctx.window;
  const bool done = RunGuarded(ctx.dialogs, Aborted::Loading, [&] {
    w.SpritePicture = Loader(ctx).LoadPicture(*path);
    if (w.MapPicture.empty()) {
      throw RunError(err::kInvalidPicture,
                     "背景の地図がありません。先に「背景データ」で地図の画像を読み込んで下さい。");
    }
    PaintOverMap(ctx.picture, m, w.MapPicture, w.MapPicture, RasterOp::Or);
    PaintOverMap(ctx.picture, m, w.MapPicture, w.SpritePicture, RasterOp::And);
    ctx.picture.Refresh();
  });
  if (!done) {
    m.MapLoaded = 0;
  }
}

}  // namespace ombrix
