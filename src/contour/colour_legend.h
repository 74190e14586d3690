#pragma once
// The legend window "Form2" ("IndexColor"): a column of the 18 colours of the scale, top to
// bottom from index 0 to 17, with the threshold between each pair of swatches beside their
// border.

#include "model/main_window_state.h"
#include "model/mesh_model.h"
#include "platform/command_context.h"
#include "platform/drawing_surface.h"

namespace ombrix {

// The legend window's inner area, twips.
inline constexpr double kLegendClientWidthTwips = 1740;
inline constexpr double kLegendClientHeightTwips = 7068;

// The layout in the window's twips. Swatch i spans kLegendSwatchHeightTwips from
// kLegendSwatchTopTwips + i * kLegendSwatchHeightTwips; the label of ColorLevel(i - 1) has its
// top at kLegendLabelTopTwips + i * kLegendSwatchHeightTwips, half a 9-point line above the
// border of swatch i, so the line is centred on that border.
inline constexpr double kLegendSwatchLeftTwips = 480;
inline constexpr double kLegendSwatchWidthTwips = 200;
inline constexpr double kLegendSwatchTopTwips = 270;
inline constexpr double kLegendSwatchHeightTwips = 365;
inline constexpr double kLegendLabelLeftTwips = 780;
inline constexpr double kLegendLabelTopTwips = 180;
inline constexpr double kLegendFontPoints = 9;

// Clears the surface (the whole legend window) and draws the colour tables and thresholds as
// the colour scale left them: swatch 0, then swatches 1..ColorCount+1 with the label of
// ColorLevel(i - 1) beside the border above swatch i, then black borders between the swatches.
// The surface is put in twips. An index outside the tables raises error 9.
void DrawColorLegend(DrawingSurface& surface, const MeshModel& model,
                     const MainWindowState& window);

// Places the legend window beside the main window (or against the right edge of the screen
// when it would not fit), 600 twips below the main window's top, shows it, draws the legend on
// `legend_surface`, keeps the window on top and gives the focus back to the main window.
void ShowColorLegend(CommandContext& ctx, DrawingSurface& legend_surface);

}  // namespace ombrix
