#include "contour/level_cutting.h"

namespace ombrix {
namespace {

struct Edge {
  std::int32_t a, b;           // the ends in test order
  std::int32_t base, other;    // interpolation runs from base toward other
  std::int32_t first, second;  // order in which the ends are checked for lying on the level
};

constexpr std::array<Edge, 3> kEdges = {{
    {1, 2, 2, 1, 1, 2},
    {2, 3, 3, 2, 2, 3},
    {1, 3, 1, 3, 3, 1},
}};

}  // namespace

LevelCut CutTriangle(const TriangleRecord& t, double level) {
  LevelCut cut;
  for (const Edge& e : kEdges) {
    const double p = (t.Z[e.a] - level) * (t.Z[e.b] - level);
    if (p < 0) {
      Crossing& c = cut.crossing[static_cast<std::size_t>(++cut.crossings)];
      const double dz = t.Z[e.other] - t.Z[e.base];
      const double rise = level - t.Z[e.base];
      c.y = (t.Y[e.other] - t.Y[e.base]) * rise / dz + t.Y[e.base];
      c.x = (t.X[e.other] - t.X[e.base]) * rise / dz + t.X[e.base];
      c.a = e.a;
      c.b = e.b;
    } else if (p == 0) {
      for (const std::int32_t v : {e.first, e.second}) {
        if (t.Z[v] == level) {
          ++cut.on_level;
          cut.on_level_y[static_cast<std::size_t>(cut.on_level)] = t.Y[v];
          cut.on_level_x[static_cast<std::size_t>(cut.on_level)] = t.X[v];
        }
      }
    }
  }
  if (cut.crossings == 2 && cut.on_level == 0) {
    cut.kind = CutKind::TwoCrossings;
  } else if (cut.crossings == 1 && cut.on_level == 2) {
    cut.kind = CutKind::CrossingAndVertex;
  } else if (cut.crossings == 0 && cut.on_level == 6) {
    cut.kind = CutKind::Flat;
  } else if (cut.crossings == 0 && cut.on_level == 4) {
    cut.kind = CutKind::OneEdgeOnLevel;
  }
  return cut;
}

std::int32_t HigherEnd(const TriangleRecord& t, const Crossing& c) {
  return t.Z[c.a] > t.Z[c.b] ? c.a : c.b;
}

}  // namespace ombrix
