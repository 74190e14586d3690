#pragma once
// The menu command "作図": the triangle list of the loaded mesh, then the map.

#include "contour/contour_calc.h"
#include "platform/command_context.h"

namespace ombrix {

// Refuses with the "no data" message before any mesh import. A failure while the list is built
// ends in the error report that aborts the loading; a failure while the map is drawn ends in
// the one that aborts the drawing, and the program goes on either way.
void ContourLine_Click(CommandContext& ctx);

// Draws the map from the triangle list as it stands, under the busy pointer; in the Normal mode
// the legend window then shows the colour legend. A failure while drawing ends in the report
// that aborts the drawing, one while the legend is shown in the one that aborts the loading.
// True unless the user stopped the drawing.
bool DrawMapWithLegend(CommandContext& ctx);

}  // namespace ombrix
