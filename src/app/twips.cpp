#include "app/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace ombrix::app {
namespace {

double TwipsPerPixel(bool horizontal) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double dpi = screen == nullptr ? 96.0
                                       : (horizontal ? screen->logicalDotsPerInchX()
                                                     : screen->logicalDotsPerInchY());
  return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

}  // namespace

double ScreenTwipsPerPixelX() {
  return TwipsPerPixel(true);
}
double ScreenTwipsPerPixelY() {
  return TwipsPerPixel(false);
}

int TwipsToPixels(double twips, double twips_per_pixel) {
  return static_cast<int>(std::nearbyint(twips / twips_per_pixel));
}

QRect TwipsRect(double left, double top, double width, double height) {
  const double tx = ScreenTwipsPerPixelX();
  const double ty = ScreenTwipsPerPixelY();
  return QRect(TwipsToPixels(left, tx), TwipsToPixels(top, ty), TwipsToPixels(width, tx),
               TwipsToPixels(height, ty));
}

}  // namespace ombrix::app
