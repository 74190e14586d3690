#include "blank/blank_check.h"

#include <gtest/gtest.h>

#include "fakes/error_capture.h"

#include <array>
#include <utility>
#include <vector>

#include "model/run_error.h"

namespace ombrix {
namespace {

// A 3 x 3 mesh with uneven spacing and values whose sums depend on the order of addition.
// Cells (1, 1) .. (2, 2) exist; the tests mostly use cell (2, 1), away from row 1.
class BlankCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    AllocateMesh(m, 3, 3);
    const double xs[] = {0, 1.5, 4.25, 10.1};
    const double ys[] = {0, 30.7, 21.3, 20.2};
    for (int j = 1; j <= 3; ++j)
      m.NodeX(j) = xs[j];
    for (int i = 1; i <= 3; ++i)
      m.NodeY(i) = ys[i];
    const double values[4][4] = {
        {0, 0, 0, 0}, {0, 0.1, 0.2, 0.6}, {0, 2.9, 1.1, 3.3}, {0, 0.3, 0.7, 5.9}};
    for (int i = 1; i <= 3; ++i) {
      for (int j = 1; j <= 3; ++j)
        m.NodeValue(i, j) = values[i][j];
    }
    ResetTriangles(m);
  }

  // Makes node (r, c) blank the way the import does: flag 1 and a stored 0.
  void Blank(int r, int c) {
    m.NodeBlank(r, c) = 1;
    m.NodeValue(r, c) = 0;
  }

  // The triangle on `side` of cell (i, j), built from the node arrays here.
  TriangleRecord Expected(int i, int j, int side, double centre_z) const {
    static const int corners[5][2][2] = {
        {{0, 0}, {0, 0}}, {{0, 0}, {1, 0}}, {{0, 0}, {0, 1}}, {{0, 1}, {1, 1}}, {{1, 1}, {1, 0}}};
    TriangleRecord t;
    for (int k = 0; k < 2; ++k) {
      const int r = i + corners[side][k][0];
      const int c = j + corners[side][k][1];
      t.Y[k + 1] = m.NodeY(r);
      t.X[k + 1] = m.NodeX(c);
      t.Z[k + 1] = m.NodeValue(r, c);
    }
    t.Y[3] = (m.NodeY(i) + m.NodeY(i + 1)) / 2;
    t.X[3] = (m.NodeX(j) + m.NodeX(j + 1)) / 2;
    t.Z[3] = centre_z;
    t.CellRow = i;
    t.CellCol = j;
    t.Side = side;
    return t;
  }

  double StoredSum(int i, int j) const {
    return m.NodeValue(i, j) + m.NodeValue(i, j + 1) + m.NodeValue(i + 1, j) +
           m.NodeValue(i + 1, j + 1);
  }

  std::vector<TriangleRecord> Listed() const {
    std::vector<TriangleRecord> out;
    for (int t = 1; t <= m.TriangleCount; ++t)
      out.push_back(m.Triangles(t));
    return out;
  }

  MeshModel m;
};

TEST_F(BlankCheck, NoBlankCornerReturns1AndAppendsNothing) {
  EXPECT_EQ(BlankdataCheck(m, 1, 1), 1);
  EXPECT_EQ(BlankdataCheck(m, 2, 2), 1);
  EXPECT_EQ(m.TriangleCount, 0);
  EXPECT_EQ(m.Triangles(1), TriangleRecord{});
}

TEST_F(BlankCheck, EachSingleBlankCornerKeepsTheTwoSidesBetweenValuedCorners) {
  struct Case {
    int r, c;  // offsets of the blank corner within the cell
    int first_side, second_side;
  };
  const Case cases[] = {{0, 0, 3, 4}, {0, 1, 1, 4}, {1, 0, 2, 3}, {1, 1, 1, 2}};
  for (const Case& k : cases) {
    SetUp();
    Blank(2 + k.r, 1 + k.c);
    const double centre_z = StoredSum(2, 1) / 3;
    EXPECT_EQ(BlankdataCheck(m, 2, 1), -2) << k.r << "," << k.c;
    const std::vector<TriangleRecord> want = {Expected(2, 1, k.first_side, centre_z),
                                              Expected(2, 1, k.second_side, centre_z)};
    EXPECT_EQ(Listed(), want) << "blank corner offset " << k.r << "," << k.c;
  }
}

TEST_F(BlankCheck, OnlyTheLowerRightCornerBlankGivesSides1And2VertexByVertex) {
  Blank(3, 2);
  ASSERT_EQ(BlankdataCheck(m, 2, 1), -2);
  ASSERT_EQ(m.TriangleCount, 2);
  // 2.9 + 1.1 + 0.3 + 0 in corner order, then / 3.
  const double centre_z = (2.9 + 1.1 + 0.3 + 0.0) / 3;
  const TriangleRecord& first = m.Triangles(1);
  EXPECT_EQ(first.Side, 1);
  EXPECT_EQ(first.Y[1], 21.3);  // (2, 1)
  EXPECT_EQ(first.X[1], 1.5);
  EXPECT_EQ(first.Z[1], 2.9);
  EXPECT_EQ(first.Y[2], 20.2);  // (3, 1)
  EXPECT_EQ(first.X[2], 1.5);
  EXPECT_EQ(first.Z[2], 0.3);
  EXPECT_EQ(first.Y[3], (21.3 + 20.2) / 2);
  EXPECT_EQ(first.X[3], (1.5 + 4.25) / 2);
  EXPECT_EQ(first.Z[3], centre_z);
  const TriangleRecord& second = m.Triangles(2);
  EXPECT_EQ(second.Side, 2);
  EXPECT_EQ(second.Y[1], 21.3);  // (2, 1)
  EXPECT_EQ(second.X[1], 1.5);
  EXPECT_EQ(second.Y[2], 21.3);  // (2, 2)
  EXPECT_EQ(second.X[2], 4.25);
  EXPECT_EQ(second.Z[2], 1.1);
  EXPECT_EQ(second.Z[3], centre_z);
  for (const TriangleRecord* t : {&first, &second}) {
    EXPECT_EQ(t->CellRow, 2);
    EXPECT_EQ(t->CellCol, 1);
    EXPECT_EQ(t->Flags, (std::array<std::int32_t, 4>{}));
  }
}

TEST_F(BlankCheck, TwoBlankCornersOnOneSideKeepTheOppositeSide) {
  struct Case {
    int r1, c1, r2, c2;
    int side;
  };
  const Case cases[] = {
      {0, 0, 0, 1, 4},  // top pair
      {1, 0, 1, 1, 2},  // bottom pair
      {0, 0, 1, 0, 3},  // left pair
      {0, 1, 1, 1, 1},  // right pair
  };
  for (const Case& k : cases) {
    SetUp();
    Blank(2 + k.r1, 1 + k.c1);
    Blank(2 + k.r2, 1 + k.c2);
    EXPECT_EQ(BlankdataCheck(m, 2, 1), -3) << k.side;
    const std::vector<TriangleRecord> want = {Expected(2, 1, k.side, StoredSum(2, 1) / 2)};
    EXPECT_EQ(Listed(), want) << "side " << k.side;
  }
}

TEST_F(BlankCheck, BottomPairBlankCentreIsTheMeanOfTheTopCorners) {
  Blank(3, 1);
  Blank(3, 2);
  ASSERT_EQ(BlankdataCheck(m, 2, 1), -3);
  ASSERT_EQ(m.TriangleCount, 1);
  EXPECT_EQ(m.Triangles(1).Side, 2);
  EXPECT_EQ(m.Triangles(1).Z[3], (2.9 + 1.1) / 2);
}

TEST_F(BlankCheck, DiagonalBlankCornersGiveNoTriangle) {
  for (const auto& [first, second] :
       {std::pair{std::pair{0, 0}, std::pair{1, 1}}, {std::pair{0, 1}, std::pair{1, 0}}}) {
    SetUp();
    Blank(2 + first.first, 1 + first.second);
    Blank(2 + second.first, 1 + second.second);
    EXPECT_EQ(BlankdataCheck(m, 2, 1), -3);
    EXPECT_EQ(m.TriangleCount, 0);
  }
}

TEST_F(BlankCheck, ThreeOrFourBlankCornersReturnMinus1AndAppendNothing) {
  const int corners[4][2] = {{2, 1}, {2, 2}, {3, 1}, {3, 2}};
  for (int valued = 0; valued < 4; ++valued) {  // each corner in turn keeps its value
    SetUp();
    for (int k = 0; k < 4; ++k) {
      if (k != valued)
        Blank(corners[k][0], corners[k][1]);
    }
    EXPECT_EQ(BlankdataCheck(m, 2, 1), -1) << valued;
    EXPECT_EQ(m.TriangleCount, 0);
  }
  SetUp();
  for (const auto& c : corners)
    Blank(c[0], c[1]);
  EXPECT_EQ(BlankdataCheck(m, 2, 1), -1);
  EXPECT_EQ(m.TriangleCount, 0);
}

TEST_F(BlankCheck, CentreValueSumsAllFourStoredValuesInCornerOrder) {
  // Cell (1, 1): corners 0.1, 0.2, 2.9, 1.1, whose sum depends on the order of addition.
  m.NodeBlank(2, 2) = 1;  // blank, but its stored 1.1 stays in the sum
  ASSERT_EQ(BlankdataCheck(m, 1, 1), -2);
  const double in_order = (0.1 + 0.2 + 2.9 + 1.1) / 3;
  ASSERT_NE(in_order, (1.1 + 2.9 + 0.2 + 0.1) / 3);  // the case is order-sensitive
  ASSERT_NE(in_order, (0.1 + (0.2 + (2.9 + 1.1))) / 3);
  ASSERT_EQ(m.TriangleCount, 2);
  for (int t = 1; t <= m.TriangleCount; ++t) {
    EXPECT_EQ(m.Triangles(t).Z[3], in_order);
  }
  SetUp();
  m.NodeBlank(2, 1) = 1;  // bottom pair of cell (1, 1), stored values kept
  m.NodeBlank(2, 2) = 1;
  ASSERT_EQ(BlankdataCheck(m, 1, 1), -3);
  ASSERT_EQ(m.TriangleCount, 1);
  EXPECT_EQ(m.Triangles(1).Z[3], (0.1 + 0.2 + 2.9 + 1.1) / 2);
  ASSERT_NE((0.1 + 0.2 + 2.9 + 1.1) / 2, (1.1 + 2.9 + 0.2 + 0.1) / 2);
}

TEST_F(BlankCheck, PartlyBlankCellKeepsTheGeometricCentre) {
  Blank(1, 1);
  ASSERT_EQ(BlankdataCheck(m, 1, 1), -2);
  ASSERT_EQ(m.TriangleCount, 2);
  for (int t = 1; t <= 2; ++t) {
    EXPECT_EQ(m.Triangles(t).Y[3], (30.7 + 21.3) / 2);
    EXPECT_EQ(m.Triangles(t).X[3], (1.5 + 4.25) / 2);
  }
}

TEST_F(BlankCheck, OnlyFlagValue1CountsAsBlank) {
  // A side is kept when neither end is flagged 1; the count adds the flags as they are.
  m.NodeBlank(2, 2) = 1;
  ASSERT_EQ(BlankdataCheck(m, 2, 2), -2);
  ASSERT_EQ(m.TriangleCount, 2);
  EXPECT_EQ(m.Triangles(1).Side, 3);
  EXPECT_EQ(m.Triangles(2).Side, 4);
  EXPECT_EQ(m.Triangles(1).CellRow, 2);
  EXPECT_EQ(m.Triangles(1).CellCol, 2);
}

TEST_F(BlankCheck, AppendsAfterWhatTheListAlreadyHolds) {
  Blank(1, 1);
  Blank(3, 3);
  ASSERT_EQ(BlankdataCheck(m, 1, 1), -2);
  ASSERT_EQ(BlankdataCheck(m, 1, 2), 1);
  ASSERT_EQ(BlankdataCheck(m, 2, 2), -2);
  const std::vector<TriangleRecord> want = {
      Expected(1, 1, 3, StoredSum(1, 1) / 3), Expected(1, 1, 4, StoredSum(1, 1) / 3),
      Expected(2, 2, 1, StoredSum(2, 2) / 3), Expected(2, 2, 2, StoredSum(2, 2) / 3)};
  EXPECT_EQ(Listed(), want);
}

TEST_F(BlankCheck, AFullListIsError9AndKeepsItsCount) {
  const std::int32_t upper = m.Triangles.upper();
  ASSERT_EQ(upper, 4 * 3 * 3 + 10);
  m.TriangleCount = upper;
  Blank(1, 1);
  EXPECT_EQ(ErrorNumberOf([&] { BlankdataCheck(m, 1, 1); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(m.TriangleCount, upper);
}

TEST_F(BlankCheck, CellTriangleTakesTheSideCornersInTableOrder) {
  for (int side = 1; side <= 4; ++side) {
    TriangleRecord want = Expected(2, 2, side, 3.75);
    want.Y[3] = 1.25;
    want.X[3] = 2.5;
    EXPECT_EQ(CellTriangle(m, 2, 2, side, 1.25, 2.5, 3.75), want) << side;
  }
}

}  // namespace
}  // namespace ombrix
