#pragma once
// Drawing operations the screen surface and the printer share: whole device pixels, pens, box
// outlines, lines that may be points, polygons, and pictures wrapped as images.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/colour.h"
#include "platform/drawing_surface.h"
#include "platform/picture.h"

namespace ombrix::qt {

QColor ToQColor(Rgb c);

// Nearest whole device pixel, halves to even; far-off positions are clamped so the conversion
// to int stays defined (anything that far is off the page anyway).
int WholePixel(double device);

// The rectangle with corners a and b, both included, whatever their order.
QRect Corners(QPoint a, QPoint b);

// Wide lines get round ends and joins; one-pixel lines cover both of their end points.
QPen LinePen(Rgb colour, std::int16_t width);

// A line from a to b, or the single point when they coincide.
void DrawLine(QPainter& painter, QPoint a, QPoint b, Rgb colour, std::int16_t width);
// The same with the pen already made (a surface drawing many segments keeps it).
void DrawLine(QPainter& painter, QPoint a, QPoint b, const QPen& pen);

// The outline of the box with corners a and b (both included).
void DrawBoxOutline(QPainter& painter, QPoint a, QPoint b, Rgb colour, std::int16_t width);

// A polygon outlined with the fore colour and, when the fill style is solid, filled with the
// fill colour.
void DrawPolygon(QPainter& painter, std::span<const PixelPoint> corners, Rgb fore, Rgb fill,
                 FillStyle style, std::int16_t width);

// The picture's pixels seen as an image (no copy; the picture must outlive it); nothing when
// the picture is empty or its pixels do not fill it.
std::optional<QImage> PictureImage(const Picture& picture);

}  // namespace ombrix::qt
