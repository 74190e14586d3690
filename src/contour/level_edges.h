#pragma once
// Triangle edges that lie exactly on a level, and plateaus (triangles wholly on a level).

#include <cstdint>

#include "model/growable_list.h"
#include "model/mesh_model.h"
#include "model/segment_record.h"

namespace ombrix {

// How many of the two corners of the triangle's cell side are strict local extrema of the
// mesh: each is compared with its three grid neighbours off the side and the means of the four
// cells around it. Rows and columns at the border of the mesh count as 0.
std::int32_t CheckLevelEdge(const MeshModel& model, const TriangleRecord& triangle);

// Every pair of flat triangles m < n that shares corners gets a FlatEdges entry holding the
// shared corners of m in match order (points 1..3); a pair sharing a single corner keeps none.
void PairFlatTriangles(const GrowableList<TriangleRecord>& flats,
                       GrowableList<TriangleRecord>& flat_edges);

// Segments joining the two points of a flat edge (either way round) are inner edges of a
// plateau: their State becomes suppressed.
void SuppressFlatEdges(const GrowableList<TriangleRecord>& flat_edges,
                       GrowableList<SegmentRecord>& segments);

}  // namespace ombrix
