#pragma once
// Mesh coordinates to drawing-area pixels: x grows to the right from NodeX(1), y grows upward
// from NodeY(NodeCountY), the smallest y. Pixels stay doubles.

#include "model/mesh_model.h"

namespace ombrix {

struct PixelMapping {
  double x_origin = 0;  // FrameLeft + 1
  double y_origin = 0;  // FrameTop + FrameHeight - 1
  double x_scale = 0;   // FrameWidth / RangeX
  double y_scale = 0;   // FrameHeight / RangeY
  double x_first = 0;   // NodeX(1)
  double y_last = 0;    // NodeY(NodeCountY)

  double X(double x) const { return (x - x_first) * x_scale + x_origin; }
  double Y(double y) const { return y_origin - (y - y_last) * y_scale; }
};

// Errors: 6 or 11 when a range is 0 (a mesh of one row or one column).
PixelMapping MakePixelMapping(const MeshModel& model);

}  // namespace ombrix
