#pragma once
// `ombrix segments`, `ombrix levels` and `ombrix render`: the contour map of a mesh workbook,
// computed as the window computes it with the settings of a fresh window and the options given.

#include <ostream>
#include <string>
#include <vector>

#include "cli/run_guard.h"

namespace ombrix::cli {

// Every level's segment list after the plateau pass: "L,m,X1,Y1,X2,Y2,State".
int PrintSegments(const std::vector<std::string>& args, std::ostream& out);
// The level series and the colour thresholds.
int PrintLevels(const std::vector<std::string>& args, std::ostream& out);
// The drawing area as the window would show it, saved as .bmp or .png.
int RenderMap(const std::vector<std::string>& args, std::ostream& out);
// The legend window's picture after a Normal-mode drawing, saved as .bmp or .png.
int RenderLegend(const std::vector<std::string>& args, std::ostream& out);

}  // namespace ombrix::cli
