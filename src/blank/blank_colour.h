#pragma once
// The green shades of the quick shading: one per quarter of a cell, interpolated from the
// cell's valued corners only; a quarter whose own corner is blank is not painted.

#include <array>
#include <cstdint>

#include "model/mesh_model.h"

namespace ombrix {

inline constexpr std::int32_t kUnpainted = -1;

// Shades of the quarters of corners z00 (i, j), z10 (i+1, j), z01 (i, j+1), z11 (i+1, j+1), in
// that order: a green component 100..255 for values within DataMin..DataMax, or -1. Error 6
// or 11 when DataMax equals DataMin and a quarter has a value.
std::array<std::int32_t, 4> BlankdataColor(const MeshModel& model, std::int32_t i, std::int32_t j);

}  // namespace ombrix
