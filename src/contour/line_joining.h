#pragma once
// The drawn segments of one level joined into lines: each segment in exactly one line, in
// order along it; a line that comes back to where it started is a closed ring (its last point
// is its first), any other ends where the segments end (the mesh border, a blank region).

#include <vector>

#include "contour/segment_trace.h"
#include "model/growable_list.h"
#include "model/segment_record.h"

namespace ombrix {

struct ContourPolyline {
  std::vector<MeshPoint> points;  // mesh coordinates; at least two
  bool closed = false;
};

// Joins the segments whose State is drawn, by the edges their ends lie on (the trace holds one
// entry per segment). Where more than two segments meet at one point (a saddle through a
// node), lines pass through it in pairs. An edge lying on the level that two triangles both
// drew counts once. Expected linear time in the number of segments.
std::vector<ContourPolyline> JoinSegments(const GrowableList<SegmentRecord>& segments,
                                          const SegmentTrace& trace);

}  // namespace ombrix
