#pragma once
// Window layout is given in twips (1/1440 inch); Qt places widgets in pixels.

#include <QRect>

namespace ombrix::app {

// The screen's twips per pixel (15 at 96 dots per inch).
double ScreenTwipsPerPixelX();
double ScreenTwipsPerPixelY();

// Nearest whole pixel, halves to even.
int TwipsToPixels(double twips, double twips_per_pixel);

// A rectangle given as left, top, width, height in twips.
QRect TwipsRect(double left, double top, double width, double height);

}  // namespace ombrix::app
