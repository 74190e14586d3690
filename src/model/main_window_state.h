#pragma once
// Variables held by the main window and shared by its procedures.

#include <cstdint>
#include <string>

#include "model/bounded_array.h"
#include "platform/picture.h"

namespace ombrix {

struct MainWindowState {
  std::string MeshFileName;        // path of the last mesh workbook chosen; empty until then
  std::int32_t ColorMode = 0;      // kColorNothing / kColorEasy / kColorNormal
  std::int32_t PrinterOutput = 0;  // kPrinterOn or kPrinterOff, set at drawing time
  std::int32_t DividedMesh = 0;    // 1 when the triangle list comes from the mesh division
  std::int32_t MinFormWidth = 0;   // pixels; set at start-up
  // The frame scaled to the printer, set by the Normal-mode printer copy.
  std::int32_t PrintFrameLeft = 0;
  std::int32_t PrintFrameTop = 0;
  std::int32_t PrintFrameWidth = 0;
  std::int32_t PrintFrameHeight = 0;
  MainWindowState() { ColorLevel.Allocate(0, 18); }

  // Colour thresholds of the last drawing, 0..18 (0..16 written by the colour scale).
  BoundedArray<double> ColorLevel{"ColorLevel"};
  // The bounds typed for the absolute colour index.
  double AbsoluteMin = 0;
  double AbsoluteMax = 0;
  // The pictures the hidden picture boxes hold: the background map and the sprite.
  Picture MapPicture;
  Picture SpritePicture;
};

}  // namespace ombrix
