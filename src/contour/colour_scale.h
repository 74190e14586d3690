#pragma once
// The colour scale of a drawing: 18 fixed colours from magenta through red, yellow, green and
// cyan to dark blue, and 17 descending thresholds that split the value range into 16 steps.

#include <cstdint>

#include "model/main_window_state.h"
#include "model/mesh_model.h"
#include "platform/colour.h"

namespace ombrix {

inline constexpr std::int32_t kColorSteps = 16;

// Fills the colour tables and the thresholds from DataMin/DataMax (relative mode) or from the
// typed bounds (absolute mode).
void SetColor(MeshModel& model, MainWindowState& window);

// The colour of index k (0..17) as the tables hold it.
Rgb ColorOfIndex(const MeshModel& model, std::int32_t k);

// The first i with ColorLevel(i) below the value, or 17.
std::int32_t ColorIndexOf(const MainWindowState& window, double value);

}  // namespace ombrix
