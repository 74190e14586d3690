#pragma once
// The triangle list of a drawing: every cell without blank corners becomes four triangles
// meeting at its centre (sides 1, 2, 3, 4 in that order); cells with blank corners keep what
// the blank-cell check gives them.

#include "model/mesh_model.h"

namespace ombrix {

// Sizes the list anew and fills it, cells row by row. Error 6 when the list's size overflows.
void BuildTriangleList(MeshModel& model);

}  // namespace ombrix
