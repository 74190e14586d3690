#pragma once
// What the map draws as lines and text: the segments of a level with their highlight and one
// label, the outline of the triangle mesh, and the coordinate labels of the frame.

#include <cstdint>

#include "contour/pixel_mapping.h"
#include "contour/printer_copy.h"
#include "platform/command_context.h"

namespace ombrix {

inline constexpr Rgb kFrameColour = RGB(240, 240, 0);
inline constexpr Rgb kSegmentColour = RGB(0, 0, 255);
inline constexpr Rgb kHighlightColour = RGB(255, 0, 0);
inline constexpr Rgb kLabelColourNothing = RGB(0, 100, 0);
inline constexpr Rgb kLabelColourFilled = RGB(250, 250, 0);
inline constexpr Rgb kCoordinateLabelColour = RGB(0, 100, 0);

struct LineSwitches {
  bool label = true;    // "Level"
  bool redline = true;  // "RedLine"
};

// Draws the level's segments that are not suppressed, in list order; a level that is a whole
// multiple of the label unit is red with the red-line switch on, and gets one label at the
// first end of its first drawn segment with the label switch on. Each segment and the label
// go to the printed copy right after the screen.
void DrawLevelSegments(DrawingSurface& surface, const GrowableList<SegmentRecord>& segments,
                       std::int32_t level, std::int32_t label_unit, const LineSwitches& switches,
                       std::int32_t colour_mode, const PrinterCopy& print = PrinterCopy());

// Every triangle's three sides, vertex 1-2, 2-3, 1-3; the printed copy gets the cell side 1-2.
void DrawMeshOutline(DrawingSurface& surface, const MeshModel& model, const PixelMapping& mapping,
                     const PrinterCopy& print = PrinterCopy());

// The x range under the frame's bottom edge and the y range at its left edge; each pair goes
// to the printed copy after the screen.
void DrawCoordinateLabels(DrawingSurface& surface, const MeshModel& model,
                          const PixelMapping& mapping, const PrinterCopy& print = PrinterCopy());

}  // namespace ombrix
