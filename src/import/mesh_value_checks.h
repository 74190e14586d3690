#pragma once
// What a mesh must hold before anything computes with it: finite numbers everywhere, x
// coordinates strictly increasing to the right and y coordinates strictly decreasing
// downwards, and spans that stay finite. Every refusal names the cell.

#include "import/mesh_import.h"

namespace ombrix {

// Each raises error 13 for a number that is not finite, 6 for coordinates out of order or a
// span that overflows, naming the cell. The parameters and the coordinates need only NodeX
// and NodeY, so a workbook that is no mesh is refused before the node block is allocated;
// the node values come after.
void CheckMeshAxes(const MeshData& d);
void CheckNodeValues(const MeshData& d);

}  // namespace ombrix
