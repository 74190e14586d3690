#include "contour/band_fill.h"

#include <gtest/gtest.h>

#include "contour/colour_scale.h"
#include "contour/contour_calc.h"
#include "contour/triangle_list.h"
#include "contour_fixture.h"
#include "fakes/error_capture.h"
#include "fakes/fake_context.h"
#include "model/run_error.h"

namespace ombrix {
namespace {

// Thresholds 20, 19, ..., 4: one unit a step.
void UnitThresholds(MeshModel& m, MainWindowState& w) {
  m.DataMin = 3.5;
  m.DataMax = 20.5;
  SetColor(m, w);
}

TEST(BandColour, MeanAgainstTheThresholds) {
  MeshModel m;
  MainWindowState w;
  UnitThresholds(m, w);
  EXPECT_EQ(BandColour(m, w, 3, 3, 3), RGB(31, 31, 128));      // at or below the bottom: 17
  EXPECT_EQ(BandColour(m, w, 25, 25, 25), RGB(224, 31, 224));  // above the top: 0
  EXPECT_EQ(BandColour(m, w, 19.5, 19, 19), ColorOfIndex(m, 1));
  EXPECT_EQ(BandColour(m, w, 10, 10, 16), ColorOfIndex(m, ColorIndexOf(w, 12)));
}

TEST(FillBandPolygon, SolidOutlineAndFillInOneColourThenTransparent) {
  MeshModel m;
  MainWindowState w;
  UnitThresholds(m, w);
  testing::RecordingSurface s;
  const PixelPoint corners[3] = {{1, 2}, {5, 2}, {3, 7}};
  FillBandPolygon(s, m, w, corners, 25, 25, 25);
  EXPECT_EQ(s.calls,
            (std::vector<std::string>{"FillStyle 0", "ForeColor #e01fe0", "FillColor #e01fe0",
                                      "Polygon 1,2 5,2 3,7", "Refresh", "FillStyle 1"}));
}

// A 70 x 70 mesh: 19,044 triangles, more runs than are read ahead of the painting.
testing::FakeEnvironment LongList() {
  testing::FakeEnvironment env;
  testing::GridMesh(env, 70, 70, [](int i, int j) { return (i * 7 + j * 3) % 17; });
  env.model.DataMin = 0;
  env.model.DataMax = 16;
  SetColor(env.model, env.window);
  EXPECT_GE(env.model.TriangleCount, 8 * kFillStopStride);
  return env;
}

// What painting the list one triangle after another on one thread gives.
std::vector<std::string> OneByOne(const MeshModel& m, const MainWindowState& w,
                                  const PixelMapping& map) {
  testing::RecordingSurface s;
  for (const TriangleRecord& t : testing::Listed(m)) {
    const PixelPoint corners[3] = {WholePixelPoint(map, t.Y[1], t.X[1]),
                                   WholePixelPoint(map, t.Y[2], t.X[2]),
                                   WholePixelPoint(map, t.Y[3], t.X[3])};
    FillBandPolygon(s, m, w, corners, t.Z[1], t.Z[2], t.Z[3]);
  }
  return s.calls;
}

// A long list is read on a second thread while this one paints.
TEST(FillTriangleBases, LongListPaintsAsOneTriangleAfterAnother) {
  testing::FakeEnvironment env = LongList();
  const PixelMapping map = MakePixelMapping(env.model);
  testing::RecordingSurface s;
  ASSERT_TRUE(FillTriangleBases(s, env.model, env.window, map));
  EXPECT_EQ(s.calls, OneByOne(env.model, env.window, map));
}

TEST(FillTriangleBases, StopEndsALongFillBetweenRuns) {
  testing::FakeEnvironment env = LongList();
  const PixelMapping map = MakePixelMapping(env.model);
  testing::RecordingSurface s;
  std::vector<std::int64_t> asked;
  EXPECT_FALSE(FillTriangleBases(s, env.model, env.window, map, PrinterCopy(),
                                 [&](std::int64_t done, std::int64_t total) {
                                   EXPECT_EQ(total, env.model.TriangleCount);
                                   asked.push_back(done);
                                   return asked.size() == 3;
                                 }));
  EXPECT_EQ(asked, (std::vector<std::int64_t>{0, kFillStopStride, 2 * kFillStopStride}));
  const std::vector<std::string> all = OneByOne(env.model, env.window, map);
  EXPECT_EQ(s.calls, std::vector<std::string>(all.begin(), all.begin() + 6 * 2 * kFillStopStride));
}

// The last column mapped beyond the 32-bit pixel range: the triangles before the first that
// touches it are painted, then its error is raised.
TEST(FillTriangleBases, PixelOverflowInALongListStopsWhereItIsMet) {
  testing::FakeEnvironment env = LongList();
  MeshModel& m = env.model;
  m.NodeX(m.NodeCountX) = 1e15;
  BuildTriangleList(m);
  const PixelMapping map = MakePixelMapping(m);
  std::size_t before = 0;
  for (const TriangleRecord& t : testing::Listed(m)) {
    if (std::max({t.X[1], t.X[2], t.X[3]}) > 1e14) {
      break;
    }
    ++before;
  }
  ASSERT_GT(before, 0u);
  testing::RecordingSurface s;
  EXPECT_EQ(ErrorNumberOf([&] { FillTriangleBases(s, m, env.window, map); }), err::kOverflow);
  EXPECT_EQ(testing::Starting(s.calls, "Polygon").size(), before);
}

}  // namespace
}  // namespace ombrix
