#include "model/triangle_store.h"

#include <gtest/gtest.h>

#include "fakes/error_capture.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "contour/mesh_division.h"
#include "contour/triangle_list.h"
#include "model/mesh_model.h"
#include "model/run_error.h"

namespace ombrix {
namespace {

// --- The list of whole records it replaces, as it was built and divided -------------------

std::vector<TriangleRecord> ReferenceList(const MeshModel& m) {
  // The ends of sides 1..4 of a cell, as (row, column) steps from its top-left node.
  static const int ends[4][2][2] = {
      {{0, 0}, {1, 0}}, {{0, 0}, {0, 1}}, {{0, 1}, {1, 1}}, {{1, 1}, {1, 0}}};
  std::vector<TriangleRecord> out(1);  // entry 0 is never filled
  for (int i = 1; i < m.NodeCountY; ++i) {
    for (int j = 1; j < m.NodeCountX; ++j) {
      int blanks = 0;
      double sum = 0;
      for (int r = i; r <= i + 1; ++r) {
        for (int c = j; c <= j + 1; ++c) {
          blanks += m.NodeBlank(r, c);
          sum += m.NodeValue(r, c);
        }
      }
      for (int side = 1; side <= 4 && blanks < 3; ++side) {
        TriangleRecord t{.CellRow = i, .CellCol = j, .Side = side};
        bool open = true;  // neither end of the side blank
        for (int v = 0; v < 2; ++v) {
          const int r = i + ends[side - 1][v][0], c = j + ends[side - 1][v][1];
          open = open && !m.NodeBlank(r, c);
          t.Y[v + 1] = m.NodeY(r);
          t.X[v + 1] = m.NodeX(c);
          t.Z[v + 1] = m.NodeValue(r, c);
        }
        t.Y[3] = (m.NodeY(i) + m.NodeY(i + 1)) / 2;
        t.X[3] = (m.NodeX(j) + m.NodeX(j + 1)) / 2;
        t.Z[3] = sum / (4 - blanks);
        if (open)
          out.push_back(t);
      }
    }
  }
  return out;
}

// One pass after another, each part a fresh record holding only its vertices.
std::vector<TriangleRecord> ReferenceDivision(std::vector<TriangleRecord> list, int divisions) {
  // Each part's corners as the midpoints of two vertices of the whole (a vertex is its own).
  static const int parts[4][3][2] = {{{1, 1}, {1, 2}, {1, 3}},
                                     {{2, 2}, {1, 2}, {2, 3}},
                                     {{3, 3}, {1, 3}, {2, 3}},
                                     {{1, 2}, {2, 3}, {1, 3}}};
  for (int pass = 1; pass < divisions; ++pass) {
    std::vector<TriangleRecord> next(1);
    for (std::size_t k = 1; k < list.size(); ++k) {
      const TriangleRecord& t = list[k];
      for (const auto& corners : parts) {
        TriangleRecord p;
        for (int v = 0; v < 3; ++v) {
          const int a = corners[v][0], b = corners[v][1];
          p.Y[v + 1] = (t.Y[a] + t.Y[b]) / 2;
          p.X[v + 1] = (t.X[a] + t.X[b]) / 2;
          p.Z[v + 1] = (t.Z[a] + t.Z[b]) / 2;
          p.Flags[v + 1] = (t.Flags[a] + t.Flags[b]) / 2;
        }
        next.push_back(p);
      }
    }
    list = std::move(next);
  }
  return list;
}

// A mesh of uneven spacing whose values make the order of every sum show, some nodes blank.
void RandomMesh(MeshModel& m, std::mt19937& rng) {
  std::uniform_int_distribution<int> size(2, 9);
  const int nx = size(rng), ny = size(rng);
  AllocateMesh(m, nx, ny);
  std::uniform_real_distribution<double> step(0.1, 3.7), value(-40, 40);
  double x = -5.3, y = 71.9;
  for (int j = 1; j <= nx; ++j)
    m.NodeX(j) = x += step(rng);
  for (int i = 1; i <= ny; ++i)
    m.NodeY(i) = y -= step(rng);
  std::bernoulli_distribution blank(0.15), huge(0.05);
  for (int i = 1; i <= ny; ++i) {
    for (int j = 1; j <= nx; ++j) {
      m.NodeBlank(i, j) = blank(rng);
      m.NodeValue(i, j) = m.NodeBlank(i, j) ? 0 : huge(rng) ? 1e16 * value(rng) : value(rng);
    }
  }
}

void ExpectSameList(const MeshModel& m, const std::vector<TriangleRecord>& want,
                    const std::string& where) {
  ASSERT_EQ(m.TriangleCount + 1, static_cast<int>(want.size())) << where;
  for (int k = 0; k <= m.Triangles.upper(); ++k) {
    const TriangleRecord got = m.Triangles(k);
    const TriangleRecord& expected = static_cast<std::size_t>(k) < want.size()
                                         ? want[static_cast<std::size_t>(k)]
                                         : TriangleRecord{};
    // The values compared as bytes too, so that a signed zero would show.
    ASSERT_EQ(got, expected) << where << " entry " << k;
    for (const auto field : {&TriangleRecord::Y, &TriangleRecord::X, &TriangleRecord::Z}) {
      ASSERT_EQ(std::memcmp((got.*field).data(), (expected.*field).data(), 4 * sizeof(double)), 0)
          << where << " entry " << k;
    }
  }
}

TEST(TriangleStore, MatchesTheRecordListOnRandomMeshesWithBlanksUndividedAndDivided) {
  std::mt19937 rng(20261207);
  for (int round = 0; round < 60; ++round) {
    for (int d = 1; d <= 3; ++d) {
      MeshModel m;
      RandomMesh(m, rng);
      BuildTriangleList(m);
      std::vector<TriangleRecord> want = ReferenceList(m);
      const std::string where = "round " + std::to_string(round) + " d " + std::to_string(d);
      ExpectSameList(m, want, where + " undivided");
      // Flags as a drawing leaves them, on some triangles.
      std::uniform_int_distribution<int> flag(-1, 1);
      for (int k = 1; k <= m.TriangleCount; k += 1 + round % 3) {
        std::array<std::int32_t, 4> f{0, flag(rng), flag(rng), flag(rng)};
        m.Triangles.SetFlags(k, f);
        want[static_cast<std::size_t>(k)].Flags = f;
      }
      // A later change of the mesh (a fit) does not reach the list already built.
      m.NodeValue(1, 1) += 1;
      DivideTriangles(m, d);
      want = ReferenceDivision(want, d);
      ExpectSameList(m, want, where);
      // Reading them all at once gives the same records.
      int next = 1;
      m.Triangles.ForEach(1, m.TriangleCount, [&](std::int64_t k, const TriangleRecord& t) {
        ASSERT_EQ(k, next++);
        ASSERT_EQ(t, want[static_cast<std::size_t>(k)]) << where << " entry " << k;
      });
    }
  }
}

TEST(TriangleStore, ForEachWantedSkipsOnlyPartsWithNoValueInTheRange) {
  std::mt19937 rng(17);
  std::uniform_real_distribution<double> edge(-45, 45);
  std::int64_t visited_total = 0, triangles_total = 0;
  for (int round = 0; round < 40; ++round) {
    MeshModel m;
    RandomMesh(m, rng);
    // Values whose sums overflow, read as they are.
    if (round % 4 == 0) {
      m.NodeValue(1, 1) = 1.6e308;
      m.NodeValue(1, 2) = 1.7e308;
      m.NodeValue(2, 1) = -1.7e308;
    }
    BuildTriangleList(m);
    DivideTriangles(m, 1 + round % 3);
    const double a = edge(rng);
    const double b = a + edge(rng) / 4 + 11.25;
    std::vector<bool> visited(static_cast<std::size_t>(m.TriangleCount) + 1, false);
    std::int64_t last = 0;
    m.Triangles.ForEachWanted(
        1, m.TriangleCount, [&](double lo, double hi) { return lo <= b && hi >= a; },
        [&](std::int64_t k, const TriangleRecord& t) {
          ASSERT_GT(k, last);
          last = k;
          ASSERT_EQ(t, m.Triangles(k)) << "round " << round << " entry " << k;
          visited[static_cast<std::size_t>(k)] = true;
          ++visited_total;
        });
    for (int k = 1; k <= m.TriangleCount; ++k) {  // every part with a value in [a, b]
      const std::array<double, 4> z = m.Triangles(k).Z;
      if (std::min({z[1], z[2], z[3]}) <= b && std::max({z[1], z[2], z[3]}) >= a) {
        ASSERT_TRUE(visited[static_cast<std::size_t>(k)]) << "round " << round << " entry " << k;
      }
    }
    triangles_total += m.TriangleCount;
  }
  // The point of it: most parts are never made.
  EXPECT_LT(visited_total, triangles_total / 2);
}

TEST(TriangleStore, HoldsAtMostEightBytesATriangleUndividedAndNothingMoreDivided) {
  MeshModel m;
  AllocateMesh(m, 200, 150);
  BuildTriangleList(m);
  const std::size_t undivided = m.Triangles.MemoryBytes();
  EXPECT_LE(undivided,
            static_cast<std::size_t>(m.TriangleCount) * 12);  // entries plus the mesh copy
  DivideTriangles(m, 3);
  EXPECT_LE(m.Triangles.MemoryBytes(), undivided + 1024);
}

TEST(TriangleStore, WritesAnywhereInBoundsAndErrorNineOutside) {
  MeshModel m;
  m.Triangles.Allocate(0, 6);
  const TriangleRecord odd{.Y = {9, 1, 2, 3}, .CellRow = -4, .Flags = {5, 7, -8, 2}};
  m.Triangles.Set(6, odd);
  EXPECT_EQ(m.Triangles(6), odd);
  EXPECT_EQ(m.Triangles(5), TriangleRecord{});
  EXPECT_EQ(ErrorNumberOf([&] { (void)m.Triangles(7); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { m.Triangles.Set(-1, odd); }), err::kSubscriptOutOfRange);
  // A part of a divided list written whole keeps what was written, and its own parts follow it.
  m.TriangleCount = 6;
  DivideTriangles(m, 2);
  m.Triangles.Set(24, odd);
  EXPECT_EQ(m.Triangles(24), odd);
  DivideTriangles(m, 2);
  EXPECT_EQ(m.Triangles(96), DivisionPart(odd, 3));
  EXPECT_EQ(m.Triangles(92), DivisionPart(DivisionPart(odd, 2), 3));
}

}  // namespace
}  // namespace ombrix
