#include "contour/level_edges.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>
#include <random>
#include <vector>

#include "blank/blank_check.h"
#include "contour_fixture.h"

namespace ombrix {
namespace {

using testing::Exact;
using testing::ListOf;

// Small meshes, so that most cells meet a border, of whole values in a narrow range, so that
// ties with nodes and cell means are common; the margin holds values too, which must not count.
// Now and then a vertex of the triangle holds a value of its own, or its side is not 1 to 4.
TEST(CheckLevelEdge, CountsTheStrictExtremaAsTheSlowReferenceDoes) {
  std::mt19937 rng(5150);
  const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  std::array<int, 3> seen{};
  for (int round = 0; round < 400; ++round) {
    MeshModel m;
    const int nx = 2 + pick(5), ny = 2 + pick(5);
    AllocateMesh(m, nx, ny);
    for (int i = 0; i <= ny + 1; ++i) {
      for (int j = 0; j <= nx + 1; ++j)
        m.NodeValue(i, j) = pick(5) - 2;
    }
    for (int i = 1; i < ny; ++i) {
      for (int j = 1; j < nx; ++j) {
        for (int side = 1; side <= 4; ++side) {
          TriangleRecord t = CellTriangle(m, i, j, side, 0, 0, 0);
          if (pick(4) == 0)
            t.Z[static_cast<std::size_t>(1 + pick(2))] += pick(2) == 0 ? 0.5 : -0.5;
          if (pick(20) == 0)
            t.Side = std::array{-1, 0, 5}[static_cast<std::size_t>(pick(3))];
          const int want = testing::ReferenceExtrema(m, t);
          ASSERT_EQ(CheckLevelEdge(m, t), want)
              << "round " << round << " cell " << i << ", " << j << " side " << side;
          ++seen[static_cast<std::size_t>(want)];
        }
      }
    }
  }
  EXPECT_GT(seen[0], 2000);
  EXPECT_GT(seen[1], 2000);
  EXPECT_GT(seen[2], 1000);
}

// --- Plateaus, against the pairing and suppression as first written ---------------------------

struct Point {
  double y, x;
};

TEST(Plateau, MatchesTheQuadraticPairingOnRandomPlateaus) {
  std::mt19937 rng(20240611);
  const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  int with_entries = 0, with_long_matches = 0;
  for (int round = 0; round < 400; ++round) {
    // Grid points, with -0 standing in for 0 now and then and an occasional NaN.
    const int columns = 2 + pick(5), rows = 2 + pick(4);
    const double step = round % 3 == 0 ? 0.1 : 2.5;
    const auto coordinate = [&](int k, double origin) {
      if (k == 0)
        return pick(3) == 0 ? -0.0 : 0.0;
      return pick(200) == 0 ? nan : origin + step * k;
    };
    const auto grid = [&](int r, int c) { return Point{coordinate(r, 0.3), coordinate(c, 0.7)}; };
    std::vector<std::array<Point, 3>> triangles;
    for (int r = 0; r + 1 < rows; ++r) {
      for (int c = 0; c + 1 < columns; ++c) {
        if (pick(3) == 0)
          continue;
        const Point tl = grid(r, c), tr = grid(r, c + 1), bl = grid(r + 1, c),
                    br = grid(r + 1, c + 1);
        const Point centre{0.3 + step * (r + 0.5), 0.7 + step * (c + 0.5)};
        const std::array<Point, 3> four[4] = {
            {tl, bl, centre}, {tl, tr, centre}, {tr, br, centre}, {br, bl, centre}};
        for (const auto& t : four) {
          if (pick(5) != 0)
            triangles.push_back(t);
        }
      }
    }
    // Loose triangles on grid corners, some degenerate, and duplicates of listed ones.
    const auto corner = [&] { return grid(pick(rows), pick(columns)); };
    for (int k = pick(6); k > 0; --k)
      triangles.push_back({corner(), corner(), corner()});
    for (int k = !triangles.empty() && pick(2) == 0 ? 1 + pick(3) : 0; k > 0; --k)
      triangles.push_back(triangles[pick(int(triangles.size()))]);
    std::shuffle(triangles.begin(), triangles.end(), rng);
    for (auto& t : triangles) {
      std::rotate(t.begin(), t.begin() + pick(3), t.end());
      if (pick(2) == 0)
        std::swap(t[0], t[1]);
    }

    // The level's lists as the cutting step leaves them: every flat triangle adds its segments
    // 1-2, 2-3, 1-3 and itself.
    std::vector<TriangleRecord> flats;
    std::vector<SegmentRecord> segments;
    const auto segment = [&](Point a, Point b) {
      segments.push_back({a.y, a.x, b.y, b.x, kSegmentDrawn});
    };
    for (const auto& [a, b, c] : triangles) {
      if (pick(4) == 0) {  // a segment of some other triangle in between
        const Point p = corner(), q = corner();
        segment(p, q);
      }
      segment(a, b);
      segment(b, c);
      segment(a, c);
      flats.push_back({.Y = {0, a.y, b.y, c.y}, .X = {0, a.x, b.x, c.x}});
    }
    GrowableList<TriangleRecord> flat_list = ListOf("FlatTriangles", flats);
    GrowableList<SegmentRecord> segment_list = ListOf("Segments", segments);
    // Something from an earlier level in the edge list must not survive.
    GrowableList<TriangleRecord> edges =
        ListOf("FlatEdges", std::vector<TriangleRecord>{{.Y = {0, 1, 3, 0}, .X = {0, 2, 4, 0}}});
    PairFlatTriangles(flat_list, edges);
    SuppressFlatEdges(edges, segment_list);

    const std::vector<TriangleRecord> ref_edges = testing::ReferencePairing(flats);
    testing::ReferenceSuppression(ref_edges, segments);
    with_entries += ref_edges.empty() ? 0 : 1;
    for (const TriangleRecord& e : ref_edges)
      with_long_matches += e.Y[3] != 0 ? 1 : 0;

    ASSERT_EQ(Exact(edges), Exact(ref_edges)) << "round " << round;
    ASSERT_EQ(Exact(segment_list), Exact(segments)) << "round " << round;
  }
  // The rounds must have exercised the interesting cases.
  EXPECT_GT(with_entries, 300);
  EXPECT_GT(with_long_matches, 20);
}

}  // namespace
}  // namespace ombrix
