#include "contour/line_joining.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "contour/contour_polylines.h"
#include "contour/mesh_division.h"
#include "contour_fixture.h"
#include "fakes/fake_context.h"

namespace ombrix {
namespace {

using testing::FakeEnvironment;

bool Near(MeshPoint p, MeshPoint q) {
  return std::hypot(p.x - q.x, p.y - q.y) < 1e-9;
}

// Joins every level of a drawing and checks the lines against the level's drawn segments.
void CheckDrawing(FakeEnvironment& env, int& rings, int& open_lines) {
  SegmentTrace trace;
  ContourHooks hooks;
  hooks.trace = &trace;
  hooks.on_level = [&](std::int32_t level, const GrowableList<SegmentRecord>& segments) {
    SCOPED_TRACE("level " + std::to_string(level));
    ASSERT_EQ(trace.size(), static_cast<std::size_t>(segments.count()));
    // The drawn segments in mesh coordinates; an edge drawn by both its triangles once.
    std::vector<std::array<MeshPoint, 2>> drawn;
    for (int s = 1; s <= segments.count(); ++s) {
      if (segments(s).State != kSegmentDrawn)
        continue;
      const auto& t = trace[static_cast<std::size_t>(s - 1)];
      bool twin = false;
      for (const auto& d : drawn) {
        twin = twin || (d[0] == t[1].at && d[1] == t[0].at) || (d[0] == t[0].at && d[1] == t[1].at);
      }
      if (!twin)
        drawn.push_back({t[0].at, t[1].at});
    }
    const std::vector<ContourPolyline> lines = JoinSegments(segments, trace);
    std::vector<bool> used(drawn.size(), false);
    for (const ContourPolyline& line : lines) {
      ASSERT_GE(line.points.size(), 2u);
      for (std::size_t k = 0; k + 1 < line.points.size(); ++k) {
        const MeshPoint p = line.points[k];
        const MeshPoint q = line.points[k + 1];
        bool found = false;
        for (std::size_t d = 0; d < drawn.size() && !found; ++d) {
          const auto& [a, b] = drawn[d];
          if (!used[d] && ((Near(a, p) && Near(b, q)) || (Near(a, q) && Near(b, p))))
            used[d] = found = true;
        }
        EXPECT_TRUE(found) << "a step that is no unused segment";
      }
      if (line.closed) {
        ++rings;
        EXPECT_EQ(line.points.front(), line.points.back());
      } else {
        ++open_lines;
        // An odd number of drawn segments meet at each end: one at the border of the mesh or
        // of a blank region, more where a level edge was dropped at a peak or a plateau corner.
        for (const MeshPoint end : {line.points.front(), line.points.back()}) {
          int meeting = 0;
          for (const auto& [a, b] : drawn)
            meeting += Near(a, end) + Near(b, end);
          EXPECT_TRUE(meeting % 2 == 1) << end.x << "," << end.y << " meeting " << meeting;
        }
      }
    }
    EXPECT_EQ(std::count(used.begin(), used.end(), false), 0) << "a segment in no line";
  };
  CommandContext ctx = env.Context();
  ContourCalc(ctx, hooks);
}

TEST(LineJoining, RandomMeshesWithBlanksAndPlateausJoinEverySegmentOnce) {
  std::mt19937 rng(20261207);
  int rings = 0, open_lines = 0;
  for (int round = 0; round < 40; ++round) {
    FakeEnvironment env;
    testing::RandomMesh(env, rng, round);
    CheckDrawing(env, rings, open_lines);
    if (round % 4 == 0) {
      // The divided list joins the same way (its midpoints are shared bit for bit).
      DivideTriangles(env.model, 2);
      env.window.DividedMesh = 1;
      CheckDrawing(env, rings, open_lines);
    }
  }
  EXPECT_GT(rings, 20);
  EXPECT_GT(open_lines, 20);
}

// The lines themselves are checked above; the hooks hand on every level that has lines, its
// index flag set on multiples of the label unit.
TEST(LineJoining, HooksHandOnEachLevelsLinesFlaggingTheIndexLevels) {
  FakeEnvironment env;
  testing::GridMesh(env, 9, 9,
                    [](int i, int j) { return 10.3 - std::hypot(i - 4.0, j - 4.0) * 2; });
  std::vector<LevelLines> levels;
  SegmentTrace trace;
  CommandContext ctx = env.Context();
  ContourCalc(
      ctx, LineJoiningHooks(env.model, trace, [&](const LevelLines& l) { levels.push_back(l); }));
  ASSERT_EQ(levels.size(), 12u);  // -1 to 10
  for (const LevelLines& l : levels) {
    EXPECT_EQ(l.index, l.level % 5 == 0) << l.level;
    EXPECT_FALSE(l.lines.empty()) << l.level;
  }
}

// A ring closes on its first point bit for bit, even where the triangle that ends it computed
// the shared crossing with another rounding.
TEST(LineJoining, ARingEndsOnItsFirstPointExactly) {
  const MeshPoint p{1, 1}, q{3, 1}, r{2, 3}, p_rounded{std::nextafter(1.0, 2.0), 1};
  const EdgeKey e1 = MakeEdgeKey({0, 0}, {0, 2}), e2 = MakeEdgeKey({4, 0}, {4, 2}),
                e3 = MakeEdgeKey({2, 4}, {2, 5});
  const SegmentTrace trace = {
      {{{p, e1}, {q, e2}}}, {{{q, e2}, {r, e3}}}, {{{r, e3}, {p_rounded, e1}}}};
  const GrowableList<SegmentRecord> segments =
      testing::ListOf("Segments", std::vector<SegmentRecord>(3, {.State = kSegmentDrawn}));
  const std::vector<ContourPolyline> lines = JoinSegments(segments, trace);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(lines[0].closed);
  EXPECT_EQ(lines[0].points, (std::vector<MeshPoint>{p, q, r, p}));
}

}  // namespace
}  // namespace ombrix
