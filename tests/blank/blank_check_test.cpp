#include "blank/blank_check.h"

#include <gtest/gtest.h>

#include "fakes/error_capture.h"

#include <vector>

#include "model/run_error.h"

namespace ombrix {
namespace {

// A 3 x 3 mesh with uneven spacing; the corners of cell (2, 1), 0.1, 0.2, 2.9 and 1.1, sum to
// other last bits in most other orders of addition.
class BlankCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    AllocateMesh(m, 3, 3);
    const double xs[] = {1.5, 4.25, 10.1}, ys[] = {30.7, 21.3, 20.2};
    const double values[3][3] = {{0.3, 0.7, 5.9}, {0.1, 0.2, 0.6}, {2.9, 1.1, 3.3}};
    for (int k = 1; k <= 3; ++k) {
      m.NodeX(k) = xs[k - 1];
      m.NodeY(k) = ys[k - 1];
      for (int j = 1; j <= 3; ++j)
        m.NodeValue(k, j) = values[k - 1][j - 1];
    }
    ResetTriangles(m);
  }

  // The triangle on `side` of cell (i, j), built from the node arrays here: its centre holds the
  // sum of all four stored values, in corner order, over `divisor`.
  TriangleRecord Expected(int i, int j, int side, int divisor) const {
    static const int corners[5][2][2] = {
        {{0, 0}, {0, 0}}, {{0, 0}, {1, 0}}, {{0, 0}, {0, 1}}, {{0, 1}, {1, 1}}, {{1, 1}, {1, 0}}};
    TriangleRecord t{.CellRow = i, .CellCol = j, .Side = side};
    for (int k = 0; k < 2; ++k) {
      const int r = i + corners[side][k][0];
      const int c = j + corners[side][k][1];
      t.Y[k + 1] = m.NodeY(r);
      t.X[k + 1] = m.NodeX(c);
      t.Z[k + 1] = m.NodeValue(r, c);
    }
    t.Y[3] = (m.NodeY(i) + m.NodeY(i + 1)) / 2;
    t.X[3] = (m.NodeX(j) + m.NodeX(j + 1)) / 2;
    t.Z[3] = (m.NodeValue(i, j) + m.NodeValue(i, j + 1) + m.NodeValue(i + 1, j) +
              m.NodeValue(i + 1, j + 1)) /
             divisor;
    return t;
  }

  std::vector<TriangleRecord> Listed() const {
    std::vector<TriangleRecord> out;
    for (int t = 1; t <= m.TriangleCount; ++t)
      out.push_back(m.Triangles(t));
    return out;
  }

  MeshModel m;
};

TEST_F(BlankCheck, TheSidesBetweenValuedCornersAreAppendedWithTheirCentre) {
  struct Case {
    std::vector<std::pair<int, int>> blank;  // offsets within cell (2, 1)
    int result;
    std::vector<int> sides;
  };
  const Case cases[] = {
      {{}, 1, {}},
      {{{0, 0}}, -2, {3, 4}},
      {{{0, 1}}, -2, {1, 4}},
      {{{1, 0}}, -2, {2, 3}},
      {{{1, 1}}, -2, {1, 2}},
      {{{0, 0}, {0, 1}}, -3, {4}},
      {{{1, 0}, {1, 1}}, -3, {2}},
      {{{0, 0}, {1, 0}}, -3, {3}},
      {{{0, 1}, {1, 1}}, -3, {1}},
      {{{0, 0}, {1, 1}}, -3, {}},
      {{{0, 1}, {1, 0}}, -3, {}},
      {{{0, 0}, {0, 1}, {1, 0}}, -1, {}},
      {{{0, 1}, {1, 0}, {1, 1}}, -1, {}},
      {{{0, 0}, {0, 1}, {1, 0}, {1, 1}}, -1, {}},
  };
  for (const auto& [blank, result, sides] : cases) {
    SetUp();
    for (const auto& [r, c] : blank)  // the flag alone: a stored value still counts in the centre
      m.NodeBlank(2 + r, 1 + c) = 1;
    EXPECT_EQ(BlankdataCheck(m, 2, 1), result) << ::testing::PrintToString(blank);
    std::vector<TriangleRecord> want;
    for (int side : sides)
      want.push_back(Expected(2, 1, side, result == -2 ? 3 : 2));
    EXPECT_EQ(Listed(), want) << ::testing::PrintToString(blank);
  }
  // Further cells append after what the list already holds.
  SetUp();
  m.NodeBlank(1, 1) = m.NodeBlank(3, 3) = 1;
  ASSERT_EQ(BlankdataCheck(m, 1, 1), -2);
  ASSERT_EQ(BlankdataCheck(m, 1, 2), 1);
  ASSERT_EQ(BlankdataCheck(m, 2, 2), -2);
  const std::vector<TriangleRecord> want = {Expected(1, 1, 3, 3), Expected(1, 1, 4, 3),
                                            Expected(2, 2, 1, 3), Expected(2, 2, 2, 3)};
  EXPECT_EQ(Listed(), want);
}

TEST_F(BlankCheck, AFullListIsError9AndKeepsItsCount) {
  const std::int32_t upper = m.Triangles.upper();
  m.TriangleCount = upper;
  m.NodeBlank(1, 1) = 1;
  EXPECT_EQ(ErrorNumberOf([&] { BlankdataCheck(m, 1, 1); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(m.TriangleCount, upper);
}

}  // namespace
}  // namespace ombrix
