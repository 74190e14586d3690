#include "contour/colour_legend.h"

#include "contour/colour_scale.h"

namespace ombrix {
namespace {

constexpr Rgb kBlack = RGB(0, 0, 0);

double SwatchTop(std::int32_t i) {
  return kLegendSwatchTopTwips + i * kLegendSwatchHeightTwips;
}

void DrawSwatch(DrawingSurface& surface, const MeshModel& model, std::int32_t i) {
  surface.FilledBox(kLegendSwatchLeftTwips, SwatchTop(i),
                    kLegendSwatchLeftTwips + kLegendSwatchWidthTwips, SwatchTop(i + 1),
                    ColorOfIndex(model, i));
}

}  // namespace

void DrawColorLegend(DrawingSurface& surface, const MeshModel& model,
                     const MainWindowState& window) {
  // Swatches and labels share the window's twips; the label spacing sets the swatch height.
  surface.SetScaleMode(ScaleMode::Twips);
  surface.SetDrawWidth(1);
  surface.SetFontSize(kLegendFontPoints);
  surface.SetForeColor(kBlack);
  surface.Clear();

  DrawSwatch(surface, model, 0);
  for (std::int32_t i = 1; i <= model.ColorCount + 1; ++i) {
    DrawSwatch(surface, model, i);
    surface.SetCurrentX(kLegendLabelLeftTwips);
    surface.SetCurrentY(kLegendLabelTopTwips + i * kLegendSwatchHeightTwips);
    PrintNumber(surface, window.ColorLevel(i - 1));
  }
  // The borders between the swatches; the last swatch's bottom edge gets none.
  for (std::int32_t k = 1; k <= model.ColorCount + 1; ++k) {
    surface.Line(kLegendSwatchLeftTwips, SwatchTop(k),
                 kLegendSwatchLeftTwips + kLegendSwatchWidthTwips, SwatchTop(k), kBlack);
  }
  surface.Refresh();
}

void ShowColorLegend(CommandContext& ctx, DrawingSurface& legend_surface) {
  const ScreenInfo screen = ctx.windows.Screen();
  const WindowRect main = ctx.windows.Geometry(WindowId::Main);
  WindowRect legend = ctx.windows.Geometry(WindowId::Legend);

  // Window positions are single-precision values: the sum is formed step by step in floats.
  const float screen_width = static_cast<float>(screen.width);
  const float legend_width = static_cast<float>(legend.width);
  float right = static_cast<float>(main.width);
  right += static_cast<float>(main.left);
  right += 100.0F;
  right += legend_width;
  float left = 0;
  if (right >= screen_width) {
    left = screen_width - legend_width;
    left -= 100.0F;
  } else {
    left = static_cast<float>(main.left) + static_cast<float>(main.width);
    left += 100.0F;
  }
  legend.left = left;
  legend.top = static_cast<float>(main.top) + 600.0F;
  ctx.windows.SetGeometry(WindowId::Legend, legend);

  ctx.windows.Show(WindowId::Legend);
  DrawColorLegend(legend_surface, ctx.model, ctx.window);
  ctx.windows.KeepOnTop(WindowId::Legend);
  ctx.windows.FocusMain();
}

}  // namespace ombrix
