#include "view/background_map.h"

#include <optional>

#include "model/numeric.h"
#include "model/run_error.h"
#include "platform/command_guard.h"

namespace ombrix {
namespace {

constexpr double kHimetricPerInch = 2540.0;
constexpr double kTwipsPerInch = 1440.0;

PictureLoader& Loader(const CommandContext& ctx) {
  if (ctx.pictures == nullptr) {
    throw RunError(err::kInternalError, "この環境では画像ファイルを読み込めません。");
  }
  return *ctx.pictures;
}

// The dialog's answer, or nothing when the user cancelled (an empty name counts as that).
std::optional<std::string> AskForPicture(Dialogs& dialogs, std::string_view filter) {
  std::optional<std::string> path = dialogs.OpenFile(filter);
  if (path && path->empty()) {
    path.reset();
  }
  return path;
}

}  // namespace

double HimetricFromPixels(std::int32_t pixels, double twips_per_pixel) {
  return static_cast<double>(pixels) * twips_per_pixel * kHimetricPerInch / kTwipsPerInch;
}

MapDestination MapPaintDestination(const MeshModel& m) {
  return MapDestination{static_cast<double>(m.MapLeft), static_cast<double>(m.MapTop),
                        static_cast<double>(std::int64_t{m.MapLeft} + m.MapWidth),
                        static_cast<double>(std::int64_t{m.MapTop} + m.MapHeight)};
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

void LoadMap(CommandContext& ctx, const std::string& path) {
  MeshModel& m = ctx.model;
  MainWindowState& w = ctx.window;
  PictureLoader& loader = Loader(ctx);
  if (m.MapLoaded == 1) {
    w.MapPicture = Picture{};
    m.MapLoaded = -1;
  }
  w.MapPicture = loader.LoadPicture(path);
  m.MapTop = m.FrameTop;
  m.MapLeft = m.FrameLeft;
  const ScreenInfo screen = ctx.windows.Screen();
  m.MapWidth = ToLong(HimetricFromPixels(w.MapPicture.width, screen.twips_per_pixel_x));
  m.MapHeight = ToLong(HimetricFromPixels(w.MapPicture.height, screen.twips_per_pixel_y));
  m.MapLoaded = 1;
  PaintMap(ctx.picture, m, w);
  ctx.picture.Refresh();
}

void LoadMap_Click(CommandContext& ctx) {
  const std::optional<std::string> path = AskForPicture(ctx.dialogs, kMapFilter);
  if (!path) {
    return;
  }
  const BusyPointer busy(ctx.windows);
  if (!RunGuarded(ctx.dialogs, Aborted::Loading, [&] { LoadMap(ctx, *path); })) {
    ctx.model.MapLoaded = 0;
  }
}

void Sprite_Click(CommandContext& ctx) {
  const std::optional<std::string> path = AskForPicture(ctx.dialogs, kSpriteFilter);
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
