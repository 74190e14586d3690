#include "contour/triangle_list.h"

#include <gtest/gtest.h>

#include "fakes/error_capture.h"

#include <array>
#include <vector>

#include "blank/blank_check.h"
#include "contour_fixture.h"
#include "model/run_error.h"

namespace ombrix {
namespace {

using testing::Listed;

// Fills an nx x ny mesh with uneven coordinates and values that make the order of a sum show.
void MakeMesh(MeshModel& m, int nx, int ny) {
  AllocateMesh(m, nx, ny);
  for (int j = 1; j <= nx; ++j)
    m.NodeX(j) = 0.3 * j * j + 0.1;
  for (int i = 1; i <= ny; ++i)
    m.NodeY(i) = 50.7 - 1.9 * i;
  const double pool[] = {0.1, 0.2, 2.9, 1.1, 0.7, 3.3, 1e16, 5.9, 0.6};
  int k = 0;
  for (int i = 1; i <= ny; ++i) {
    for (int j = 1; j <= nx; ++j)
      m.NodeValue(i, j) = pool[k++ % 9];
  }
}

// The triangles on `sides` of cell (i, j): vertices 1 and 2 the side's ends, vertex 3 the
// centre, its value the corners summed in row order and divided by the count of valued ones.
std::vector<TriangleRecord> Cell(const MeshModel& m, int i, int j,
                                 std::vector<int> sides = {1, 2, 3, 4}, double divisor = 4) {
  static const int ends[5][2][2] = {
      {{0, 0}, {0, 0}}, {{0, 0}, {1, 0}}, {{0, 0}, {0, 1}}, {{0, 1}, {1, 1}}, {{1, 1}, {1, 0}}};
  std::vector<TriangleRecord> out;
  for (const int side : sides) {
    TriangleRecord t{.CellRow = i, .CellCol = j, .Side = side};
    for (int k = 0; k < 2; ++k) {
      const int r = i + ends[side][k][0], c = j + ends[side][k][1];
      t.Y[k + 1] = m.NodeY(r);
      t.X[k + 1] = m.NodeX(c);
      t.Z[k + 1] = m.NodeValue(r, c);
    }
    t.Y[3] = (m.NodeY(i) + m.NodeY(i + 1)) / 2;
    t.X[3] = (m.NodeX(j) + m.NodeX(j + 1)) / 2;
    t.Z[3] = (m.NodeValue(i, j) + m.NodeValue(i, j + 1) + m.NodeValue(i + 1, j) +
              m.NodeValue(i + 1, j + 1)) /
             divisor;
    out.push_back(t);
  }
  return out;
}

std::vector<TriangleRecord> Concat(std::initializer_list<std::vector<TriangleRecord>> parts) {
  std::vector<TriangleRecord> out;
  for (const auto& part : parts)
    out.insert(out.end(), part.begin(), part.end());
  return out;
}

TEST(TriangleList, TwoByTwoMeshGivesFourTrianglesSides1To4) {
  MeshModel m;
  MakeMesh(m, 2, 2);
  BuildTriangleList(m);
  ASSERT_EQ(m.TriangleCount, 4);
  const double mean = (0.1 + 0.2 + 2.9 + 1.1) / 4;
  ASSERT_NE(mean, (1.1 + 2.9 + 0.2 + 0.1) / 4);  // the order of the sum shows
  // Sides 1 to 4: (1,1)-(2,1), (1,1)-(1,2), (1,2)-(2,2), (2,2)-(2,1), then the centre.
  EXPECT_EQ(Listed(m), Cell(m, 1, 1));
}

TEST(TriangleList, CellsComeRowByRowThenColumnByColumn) {
  MeshModel m;
  MakeMesh(m, 4, 3);
  BuildTriangleList(m);
  EXPECT_EQ(Listed(m), Concat({Cell(m, 1, 1), Cell(m, 1, 2), Cell(m, 1, 3), Cell(m, 2, 1),
                               Cell(m, 2, 2), Cell(m, 2, 3)}));
}

TEST(TriangleList, OneBlankNodeLeavesOnlyTheBlankChecksTriangles) {
  MeshModel m;
  MakeMesh(m, 2, 2);
  m.NodeBlank(2, 2) = 1;
  m.NodeValue(2, 2) = 0;
  BuildTriangleList(m);
  ASSERT_EQ(m.TriangleCount, 2);
  // What the blank check alone gives for the cell on a fresh list.
  MeshModel alone;
  MakeMesh(alone, 2, 2);
  alone.NodeBlank(2, 2) = 1;
  alone.NodeValue(2, 2) = 0;
  ResetTriangles(alone);
  ASSERT_EQ(BlankdataCheck(alone, 1, 1), -2);
  EXPECT_EQ(Listed(m), Listed(alone));
  EXPECT_EQ(m.Triangles(1).Z[3], (m.NodeValue(1, 1) + m.NodeValue(1, 2) + m.NodeValue(2, 1)) / 3);
}

TEST(TriangleList, MixedMeshKeepsCellOrderAcrossBlankCells) {
  MeshModel m;
  MakeMesh(m, 4, 3);
  m.NodeBlank(1, 1) = 1;  // cell (1, 1): one blank corner
  m.NodeValue(1, 1) = 0;
  m.NodeBlank(3, 3) = 1;  // cells (2, 2) and (2, 3): one blank corner each
  m.NodeBlank(3, 4) = 1;  // cell (2, 3): a second one, on its bottom side
  m.NodeValue(3, 3) = 0;
  m.NodeValue(3, 4) = 0;
  BuildTriangleList(m);
  EXPECT_EQ(Listed(m), Concat({Cell(m, 1, 1, {3, 4}, 3), Cell(m, 1, 2), Cell(m, 1, 3),
                               Cell(m, 2, 1), Cell(m, 2, 2, {1, 2}, 3), Cell(m, 2, 3, {2}, 2)}));
}

TEST(TriangleList, ListBoundsAre0To4NxNyPlus10) {
  for (const auto& [nx, ny] : {std::pair{3, 2}, std::pair{5, 1}, std::pair{1, 4}}) {
    MeshModel m;
    MakeMesh(m, nx, ny);
    BuildTriangleList(m);
    EXPECT_EQ(m.TriangleCount, nx == 1 || ny == 1 ? 0 : 4 * (nx - 1) * (ny - 1));
    EXPECT_EQ(m.Triangles.lower(), 0);
    EXPECT_EQ(m.Triangles.upper(), 4 * nx * ny + 10);
    EXPECT_EQ(m.Triangles(0), TriangleRecord{});  // entry 0 is never filled
    const int beyond = 4 * nx * ny + 11;          // clang captures no structured binding
    EXPECT_EQ(ErrorNumberOf([&m, beyond] { (void)m.Triangles(beyond); }),
              err::kSubscriptOutOfRange);
  }
}

TEST(TriangleList, RebuildingStartsFromEmptyEntries) {
  MeshModel m;
  MakeMesh(m, 3, 3);
  BuildTriangleList(m);
  const std::vector<TriangleRecord> first = Listed(m);
  for (int t = 1; t <= m.TriangleCount; ++t)
    m.Triangles.SetFlags(t, {0, -1, 1, -1});
  m.Triangles.Set(m.TriangleCount + 1, m.Triangles(1));
  m.NodeBlank(2, 2) = 1;  // fewer triangles this time: nothing of the old list may show
  m.NodeValue(2, 2) = 0;
  BuildTriangleList(m);
  EXPECT_EQ(m.TriangleCount, 8);
  for (int t = 1; t <= m.Triangles.upper(); ++t) {
    EXPECT_EQ(m.Triangles(t).Flags, (std::array<std::int32_t, 4>{})) << t;
    if (t > m.TriangleCount) {
      EXPECT_EQ(m.Triangles(t), TriangleRecord{}) << t;
    }
  }
  m.NodeBlank(2, 2) = 0;
  m.NodeValue(2, 2) = 0.7;
  BuildTriangleList(m);
  EXPECT_EQ(Listed(m), first);
  // A mesh of another size gets a list of its own size.
  MakeMesh(m, 2, 3);
  BuildTriangleList(m);
  EXPECT_EQ(m.Triangles.upper(), 4 * 2 * 3 + 10);
  EXPECT_EQ(Listed(m), Concat({Cell(m, 1, 1), Cell(m, 2, 1)}));
}

TEST(TriangleList, ListSizeOverflowIsError6) {
  MeshModel m;
  // Only the counts matter: 4 x 40000 x 40000 leaves the 32-bit range before any node is read.
  m.NodeCountX = 40000;
  m.NodeCountY = 40000;
  EXPECT_EQ(ErrorNumberOf([&] { BuildTriangleList(m); }), err::kOverflow);
}

}  // namespace
}  // namespace ombrix
