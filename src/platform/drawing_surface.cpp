#include "platform/drawing_surface.h"

#include "model/numeric.h"

namespace ombrix {

void PrintNumber(DrawingSurface& surface, double value) {
  surface.Print(NumberText(value));
}

}  // namespace ombrix
