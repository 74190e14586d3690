#pragma once
// A filled and outlined polygon written straight into RGB32 pixels, for the tiny triangles and
// quadrilaterals of a filled contour map, where a QPainter call costs far more than the pixels
// it sets. It sets exactly the pixels the raster engine sets for QPainter::drawPolygon with
// Qt::WindingFill, no antialiasing and a one-pixel pen (no transform, no clip), when the brush
// and the pen have the same opaque colour.

#include <QImage>
#include <cstdint>
#include <span>

#include "platform/drawing_surface.h"

namespace ombrix::qt {

// Whether PaintSolidPolygon reproduces QPainter for these corners on an image of this size:
// three or four corners, all of them on the image.
bool SolidPolygonFits(std::span<const PixelPoint> corners, int width, int height);

// Sets every pixel covered by the winding fill of the polygon or by its one-pixel outline to
// `colour`. `pixels` is the image's first row, `stride` the distance between rows in pixels.
// The corners must satisfy SolidPolygonFits.
void PaintSolidPolygon(std::span<const PixelPoint> corners, std::uint32_t* pixels, int width,
                       int height, std::ptrdiff_t stride, std::uint32_t colour);

// The same on a 32-bit image (RGB32 or ARGB32), colour opaque.
void PaintSolidPolygon(std::span<const PixelPoint> corners, QImage& image, QRgb colour);

}  // namespace ombrix::qt
