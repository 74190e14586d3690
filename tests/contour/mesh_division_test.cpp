#include "contour/mesh_division.h"

#include <gtest/gtest.h>

#include "fakes/error_capture.h"

#include <string>
#include <vector>

#include "contour/level_buckets.h"
#include "contour_fixture.h"

namespace ombrix {
namespace {

using testing::Listed;

// A list sized as the contour command sizes it for a 2 x 2 mesh (0..26), holding `triangles`,
// whose cell fields and element 0 are set so that a division that carried them would show.
void Fill(MeshModel& m, const std::vector<TriangleRecord>& triangles) {
  m.Triangles.Allocate(0, 26);
  m.TriangleCount = 0;
  for (TriangleRecord t : triangles) {
    t.CellRow = 7;
    t.CellCol = 8;
    t.Side = 3;
    t.Y[0] = t.X[0] = t.Z[0] = 99;
    t.Flags[0] = 5;
    AppendTriangle(m, t);
  }
}

const TriangleRecord kA{
    .Y = {0, 0, 4, 0}, .X = {0, 0, 0, 8}, .Z = {0, 1, 3, 6}, .Flags = {0, 0, 1, 1}};
const TriangleRecord kB{
    .Y = {0, -2, 3, 6}, .X = {0, 5, 7, -3}, .Z = {0, 0.1, 0.2, 0.7}, .Flags = {0, -1, 0, 1}};

TEST(DivideTriangles, EachPassCutsEveryTriangleIntoFourLeavingTwoSpareEntries) {
  // The parts themselves, their flags included, are compared with a plain division in
  // TriangleStore's random list test.
  for (const auto& [passes, count] : {std::pair{1, 2}, std::pair{2, 8}, std::pair{3, 32}}) {
    MeshModel m;
    Fill(m, {kA, kB});
    DivideTriangles(m, passes);
    EXPECT_EQ(m.TriangleCount, count) << passes;
    EXPECT_EQ(m.Triangles.upper(), count + 2) << passes;  // shrunk from 26
    EXPECT_EQ(m.Triangles(count + 1), TriangleRecord{}) << passes;
  }
  // Three passes nest the blocks: dividing twice by two is dividing once by three.
  MeshModel twice, three;
  Fill(twice, {kA, kB});
  Fill(three, {kA, kB});
  DivideTriangles(twice, 2);
  DivideTriangles(twice, 2);
  DivideTriangles(three, 3);
  EXPECT_EQ(Listed(twice), Listed(three));
}

TEST(DivideTriangles, BadCountsAndOversizedListsLeaveTheListAlone) {
  MeshModel m;
  Fill(m, {kA, kB});
  const std::vector<TriangleRecord> before = Listed(m);
  EXPECT_NE(ErrorNumberOf([&] { DivideTriangles(m, 0); }), 0);
  EXPECT_EQ(ErrorNumberOf([&] { DivideTriangles(m, 17); }), 6);  // 2 * 4^16 + 2 > 2^31 - 1
  EXPECT_EQ(Listed(m), before);
  EXPECT_EQ(m.Triangles.upper(), 26);
  // An empty list stays empty however often it is divided.
  MeshModel empty;
  Fill(empty, {});
  DivideTriangles(empty, 40);
  EXPECT_EQ(empty.TriangleCount, 0);
  EXPECT_EQ(empty.Triangles.upper(), 2);
}

TEST(DivisionRefusal, CountsAboveFiftyMillionAreRefusedWithTheCount) {
  EXPECT_EQ(DivisionRefusal(3'125'000, 3, 0), "");  // exactly 50 000 000
  const std::string refusal = DivisionRefusal(3'125'001, 3, 0);
  EXPECT_NE(refusal.find("50000016"), std::string::npos) << refusal;
  EXPECT_NE(refusal.find("50000000"), std::string::npos) << refusal;
  // Counts past any integer type are named by their power.
  const std::string huge = DivisionRefusal(4, 2'000'000'000, 0);
  EXPECT_NE(huge.find("4 の 1999999999 乗 × 4"), std::string::npos) << huge;
}

TEST(DivisionRefusal, DrawingsLargerThanTheMemoryAtHandAreRefused) {
  // 4000 parts plus entries 0, 4001 and 4002, 4 bytes each in the drawing's level table.
  const std::uint64_t bytes = 4003 * 4;
  EXPECT_EQ(DividedDrawingBytes(4000), bytes);
  EXPECT_EQ(DivisionRefusal(1000, 2, bytes), "");
  const std::string refusal = DivisionRefusal(1000, 2, bytes - 1);
  EXPECT_NE(refusal.find(" 4000 個"), std::string::npos) << refusal;
  EXPECT_NE(refusal.find("メモリ"), std::string::npos) << refusal;
  // An absurd division for a small machine: 64 MiB at hand, 200 MiB wanted, both named.
  const std::string absurd = DivisionRefusal(3'125'000, 3, std::uint64_t{64} << 20);
  EXPECT_NE(absurd.find(" 50000000 個"), std::string::npos) << absurd;
  EXPECT_NE(absurd.find("190 MiB"), std::string::npos) << absurd;
  EXPECT_NE(absurd.find("64 MiB"), std::string::npos) << absurd;
}

TEST(DivisionRefusal, TheLargestDivisionFitsWhatADivisionReallyTakes) {
  // The cap of 50 million parts needs 200 MB, not the 6.4 GB whole records would.
  EXPECT_LT(DividedDrawingBytes(50'000'000), std::uint64_t{200} << 20);
  // A 600 x 600 mesh divided three times is not refused on a machine with 1 GB at hand.
  EXPECT_EQ(DivisionRefusal(4 * 599 * 599, 3, std::uint64_t{1} << 30), "");
  // What a drawing of a divided list really holds, against the estimate: a 200 x 200 mesh's
  // list divided three times drawn with its level table (the list itself grows by no more than
  // a few entries, as TriangleStore's memory test checks).
  testing::FakeEnvironment env;
  testing::GridMesh(env, 200, 200, [](int i, int j) { return 0.37 * i + 0.11 * j; });
  MeshModel& m = env.model;
  DivideTriangles(m, 3);
  const std::uint64_t estimate = DividedDrawingBytes(static_cast<std::uint64_t>(m.TriangleCount));
  const LevelBuckets buckets(m, LevelSeries{}, 1, 100, {});
  ASSERT_TRUE(buckets.bucketed());
  EXPECT_LE(buckets.MemoryBytes(), estimate);
}

}  // namespace
}  // namespace ombrix
