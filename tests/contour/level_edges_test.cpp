#include "contour/level_edges.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "blank/blank_check.h"
#include "contour_fixture.h"

namespace ombrix {
namespace {

using testing::Exact;
using testing::ReferencePairing;
using testing::ReferenceSuppression;

// --- Edges on the level: strict extrema ------------------------------------------------------

// A 5 x 5 mesh, every node `fill`; the margin stays 0 unless a test sets it.
void FillMesh(MeshModel& m, double fill, int n = 5) {
  AllocateMesh(m, n, n);
  for (int i = 1; i <= n; ++i) {
    m.NodeY(i) = 10.0 * (n - i);
    for (int j = 1; j <= n; ++j)
      m.NodeValue(i, j) = fill;
  }
  for (int j = 1; j <= n; ++j)
    m.NodeX(j) = 10.0 * (j - 1);
}

// The triangle on `side` of cell (i, j) as the triangle list holds it.
TriangleRecord SideTriangle(const MeshModel& m, int i, int j, int side) {
  return CellTriangle(m, i, j, side, 0, 0, 0);
}

// Cell (i, j), side `side` of a 5 x 5 mesh of `fill` with the rectangles `set` (rows r0..r1,
// columns c0..c1, margin included) set to a value: how many corners are strict extrema.
struct Block {
  int r0, r1, c0, c1;
  double value;
};
struct EdgeCase {
  const char* what;
  double fill;
  std::vector<Block> set;
  int i, j, side, want;
};

TEST(CheckLevelEdge, CornersThatAreStrictExtremaCount) {
  const Block ridge{2, 3, 2, 2, 5};  // side 1 of cell (2, 2): (2, 2) -> (3, 2)
  const EdgeCase cases[] = {
      {"two maxima; the other corner is left out", 3, {ridge}, 2, 2, 1, 2},
      {"a node below vertex 2 is higher", 3, {ridge, {4, 4, 2, 2, 6}}, 2, 2, 1, 1},
      {"a neighbour equal to the corner", 3, {ridge, {2, 2, 1, 1, 5}}, 2, 2, 1, 1},
      // The diagonal node (1, 1) lifts the mean of cell (1, 1) to (x + 3 + 3 + 5) / 4.
      {"a cell mean above the corner", 3, {ridge, {1, 1, 1, 1, 20}}, 2, 2, 1, 1},
      {"a cell mean equal to the corner", 3, {ridge, {1, 1, 1, 1, 9}}, 2, 2, 1, 1},
      {"a cell mean just below", 3, {ridge, {1, 1, 1, 1, 8.9}}, 2, 2, 1, 2},
      {"two minima", 9, {{2, 2, 2, 3, 5}}, 2, 2, 2, 2},
      {"a node above vertex 2 is lower", 9, {{2, 2, 2, 3, 5}, {1, 1, 3, 3, 4}}, 2, 2, 2, 1},
      {"a saddle", 5, {{1, 5, 1, 1, 7}, {1, 5, 3, 5, 3}}, 2, 2, 1, 0},
      // Border rows and columns, nodes and cell means, count as 0 whatever they hold.
      {"first row: maxima", 5, {{0, 0, -1, 7, 100}, {1, 1, 2, 3, 6}}, 1, 2, 2, 2},
      {"first row: never a minimum", 5, {{0, 0, -1, 7, 100}, {1, 1, 2, 3, 4}}, 1, 2, 2, 0},
      {"second row: a minimum", 5, {{0, 0, -1, 7, 100}, {2, 2, 2, 3, 4}}, 2, 2, 2, 2},
      {"last but one cell row", 5, {{5, 5, 1, 5, 100}, {4, 4, 2, 3, 6}}, 3, 2, 4, 2},
      {"last but one: no minimum", 5, {{5, 5, 1, 5, 100}, {4, 4, 2, 3, 4}}, 3, 2, 4, 0},
      {"one row higher is no border", 5, {{4, 4, 1, 5, 100}, {3, 3, 2, 3, 6}}, 2, 2, 4, 0},
      {"last cell row", 5, {{6, 6, -1, 7, 100}, {5, 5, 2, 3, 6}}, 4, 2, 4, 2},
      {"first column", 5, {{-1, 7, 0, 0, 100}, {2, 3, 1, 1, 6}}, 2, 1, 1, 2},
      {"last but one column", 5, {{1, 5, 5, 5, 100}, {2, 3, 4, 4, 6}}, 2, 3, 3, 2},
      {"one column left is no border", 5, {{1, 5, 4, 4, 100}, {2, 3, 3, 3, 6}}, 2, 2, 3, 0},
  };
  for (const EdgeCase& c : cases) {
    MeshModel m;
    FillMesh(m, c.fill);
    for (const Block& b : c.set) {
      for (int r = b.r0; r <= b.r1; ++r) {
        for (int q = b.c0; q <= b.c1; ++q)
          m.NodeValue(r, q) = b.value;
      }
    }
    EXPECT_EQ(CheckLevelEdge(m, SideTriangle(m, c.i, c.j, c.side)), c.want) << c.what;
  }
}

TEST(CheckLevelEdge, ComparesTheTrianglesOwnValuesAndOnlyForSides1To4) {
  MeshModel m;
  FillMesh(m, 3);
  TriangleRecord t = SideTriangle(m, 2, 2, 1);
  EXPECT_EQ(CheckLevelEdge(m, t), 0);
  t.Z[1] = 3.5;  // vertex 1 above everything around node (2, 2), which holds 3
  EXPECT_EQ(CheckLevelEdge(m, t), 1);
  t.Z[2] = 2.5;  // and vertex 2 below everything around node (3, 2)
  EXPECT_EQ(CheckLevelEdge(m, t), 2);
  for (const std::int32_t side : {0, 5, -1}) {
    t.Side = side;
    EXPECT_EQ(CheckLevelEdge(m, t), 0) << side;
  }
}

// --- Plateaus ---------------------------------------------------------------------------------

struct Point {
  double y, x;
};

// A level's flat triangles and segments as the cutting step leaves them: every flat triangle
// adds its segments 1-2, 2-3, 1-3 and itself, in pixels.
struct Plateau {
  Plateau() {
    flats.Clear();
    segments.Clear();
  }
  void AddFlat(Point a, Point b, Point c) {
    AddSegment(a, b);
    AddSegment(b, c);
    AddSegment(a, c);
    flats.Append({.Y = {0, a.y, b.y, c.y}, .X = {0, a.x, b.x, c.x}});
  }
  void AddSegment(Point a, Point b) {
    segments.Append(SegmentRecord{a.y, a.x, b.y, b.x, kSegmentDrawn});
  }
  void Run() {
    PairFlatTriangles(flats, flat_edges);
    SuppressFlatEdges(flat_edges, segments);
  }

  GrowableList<TriangleRecord> flats{"FlatTriangles"};
  GrowableList<TriangleRecord> flat_edges{"FlatEdges"};
  GrowableList<SegmentRecord> segments{"Segments"};
};

// --- Against the pairing and suppression as first written -------------------------------------

TEST(Plateau, MatchesTheQuadraticPairingOnRandomPlateaus) {
  std::mt19937 rng(20240611);
  const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  int with_entries = 0;
  int with_long_matches = 0;
  for (int round = 0; round < 400; ++round) {
    // Grid points, with -0 standing in for 0 now and then and an occasional NaN.
    const int columns = 2 + pick(5);
    const int rows = 2 + pick(4);
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

    Plateau p;
    std::vector<TriangleRecord> ref_flats;
    std::vector<SegmentRecord> ref_segments;
    for (const auto& t : triangles) {
      if (pick(4) == 0) {  // a segment of some other triangle in between
        const Point a = corner(), b = corner();
        p.AddSegment(a, b);
        ref_segments.push_back({a.y, a.x, b.y, b.x, kSegmentDrawn});
      }
      p.AddFlat(t[0], t[1], t[2]);
      ref_flats.push_back(p.flats(p.flats.count()));
      for (int s = p.segments.count() - 2; s <= p.segments.count(); ++s)
        ref_segments.push_back(p.segments(s));
    }
    // Leave something from an earlier level in the edge list; it must not survive.
    p.flat_edges.Clear();
    p.flat_edges.Append({.Y = {0, 1, 3, 0}, .X = {0, 2, 4, 0}});
    p.Run();

    const std::vector<TriangleRecord> ref_edges = ReferencePairing(ref_flats);
    ReferenceSuppression(ref_edges, ref_segments);
    with_entries += ref_edges.empty() ? 0 : 1;
    for (const TriangleRecord& e : ref_edges)
      with_long_matches += e.Y[3] != 0 ? 1 : 0;

    ASSERT_EQ(Exact(p.flat_edges), Exact(ref_edges)) << "round " << round;
    ASSERT_EQ(Exact(p.segments), Exact(ref_segments)) << "round " << round;
  }
  // The rounds must have exercised the interesting cases.
  EXPECT_GT(with_entries, 300);
  EXPECT_GT(with_long_matches, 20);
}

}  // namespace
}  // namespace ombrix
