#include "contour/triangle_list.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "contour_fixture.h"

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

// Entry 0, the store's bound checks and the 32-bit limit on the bound are the mesh model's and
// the triangle store's own to check; here the bound must follow both counts (3 x 2 tells
// 4 * nx * ny from 4 * (nx + ny)).
TEST(TriangleList, FourTrianglesACellInAListOf4NxNyPlus10) {
  for (const auto& [nx, ny] : {std::pair{3, 2}, std::pair{5, 1}, std::pair{1, 4}}) {
    MeshModel m;
    MakeMesh(m, nx, ny);
    BuildTriangleList(m);
    EXPECT_EQ(m.TriangleCount, nx == 1 || ny == 1 ? 0 : 4 * (nx - 1) * (ny - 1));
    EXPECT_EQ(m.Triangles.upper(), 4 * nx * ny + 10);
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
}

}  // namespace
}  // namespace ombrix
