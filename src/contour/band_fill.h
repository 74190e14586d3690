#pragma once
// Colour on the map: band polygons filled in the colour of their mean value (Normal mode), and
// the green quarter-cell shading (Easy mode).

#include <cstdint>
#include <functional>
#include <span>

#include "contour/pixel_mapping.h"
#include "contour/printer_copy.h"
#include "model/main_window_state.h"
#include "model/mesh_model.h"
#include "model/numeric.h"
#include "platform/drawing_surface.h"

namespace ombrix {

// The colour of the mean of the first three values: the first colour step whose threshold lies
// below it.
Rgb BandColour(const MeshModel& model, const MainWindowState& window, double value_a,
               double value_b, double value_c);

// Fills a polygon (outline and interior in the same colour) in the colour of the mean of the
// three values, on the surface and then on the printed copy, and leaves the surface's fill
// style transparent.
void FillBandPolygon(DrawingSurface& surface, const MeshModel& model, const MainWindowState& window,
                     std::span<const PixelPoint> corners, double value_a, double value_b,
                     double value_c, const PrinterCopy& print = PrinterCopy());

// A mapped point rounded to whole pixels, halves to even; error 6 outside the 32-bit range.
inline PixelPoint WholePixelPoint(const PixelMapping& map, double y, double x) {
  return PixelPoint{ToLong(map.X(x)), ToLong(map.Y(y))};
}

// Asked now and then during a long fill with the work done so far and all of it (triangles or
// cell rows); returning true stops the fill where it is.
using FillStopCheck = std::function<bool(std::int64_t done, std::int64_t total)>;

// Triangles filled between two stop checks.
inline constexpr std::int64_t kFillStopStride = 2048;

// Every triangle filled in the colour of the mean of its three values, in list order. False
// when the stop check ended it.
bool FillTriangleBases(DrawingSurface& surface, const MeshModel& model,
                       const MainWindowState& window, const PixelMapping& map,
                       const PrinterCopy& print = PrinterCopy(), const FillStopCheck& stop = {});

// Every cell's four quarters in the green shade of their interpolated value; blank quarters
// stay unpainted. The stop check is asked before each row of cells; false when it ended it.
bool ShadeCells(DrawingSurface& surface, const MeshModel& model, const PixelMapping& map,
                const PrinterCopy& print = PrinterCopy(), const FillStopCheck& stop = {});

}  // namespace ombrix
