#pragma once
// What a mesh must hold before anything computes with it: finite numbers everywhere, x
// coordinates strictly increasing to the right and y coordinates strictly decreasing
// downwards, and spans that stay finite. Every refusal names the cell.

#include "import/mesh_import.h"

namespace ombrix {

// Raises error 13 for a number that is not finite, 6 for coordinates out of order or a span
// that overflows, naming the cell.
void CheckMeshValues(const MeshData& d);

}  // namespace ombrix
