#pragma once
// Cutting one triangle at one level: where the level crosses the edges (1-2, 2-3, 1-3, in that
// order) and which vertices lie on it, and what that makes.

#include <array>
#include <cstdint>

#include "model/triangle_record.h"

namespace ombrix {

enum class CutKind {
  None,               // the level misses the triangle or touches one vertex
  TwoCrossings,       // one segment, crossing 1 to crossing 2
  CrossingAndVertex,  // one segment, crossing 1 to the vertex on the level
  OneEdgeOnLevel,     // two vertices on the level: the edge between them
  Flat,               // the whole triangle on the level
};

struct Crossing {
  double y = 0;  // mesh coordinates
  double x = 0;
  std::int32_t a = 0;  // the edge's ends, in the order the edge is tested
  std::int32_t b = 0;
};

struct LevelCut {
  CutKind kind = CutKind::None;
  std::int32_t crossings = 0;          // j
  std::int32_t on_level = 0;           // k: a vertex on the level is recorded once per edge it ends
  std::array<Crossing, 5> crossing{};  // 1..4 used
  std::array<double, 9> on_level_y{};  // 1..8 used
  std::array<double, 9> on_level_x{};
};

LevelCut CutTriangle(const TriangleRecord& t, double level);

// The vertex numbers of the triangle's part above the level, for the band fill: the higher
// end of an edge (the second end on a tie).
std::int32_t HigherEnd(const TriangleRecord& t, const Crossing& c);

}  // namespace ombrix
