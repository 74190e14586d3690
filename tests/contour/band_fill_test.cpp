#include "contour/band_fill.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "contour/colour_scale.h"
#include "contour/triangle_list.h"
#include "contour_fixture.h"
#include "fakes/error_capture.h"
#include "fakes/fake_context.h"
#include "model/run_error.h"

namespace ombrix {
namespace {

TEST(FillBandPolygon, SolidOutlineAndFillInOneColourThenTransparent) {
  MeshModel m;
  MainWindowState w;
  m.DataMax = 20.5;  // 25 lies above the top threshold: colour 0
  SetColor(m, w);
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

// A long list is read on a second thread while this one paints; a stop ends it between runs.
TEST(FillTriangleBases, LongListPaintsAsOneTriangleAfterAnotherUntilStopped) {
  testing::FakeEnvironment env = LongList();
  const PixelMapping map = MakePixelMapping(env.model);
  const std::vector<std::string> all = OneByOne(env.model, env.window, map);
  testing::RecordingSurface whole, stopped;
  ASSERT_TRUE(FillTriangleBases(whole, env.model, env.window, map));
  EXPECT_EQ(whole.calls, all);
  std::vector<std::int64_t> asked;
  EXPECT_FALSE(FillTriangleBases(stopped, env.model, env.window, map, PrinterCopy(),
                                 [&](std::int64_t done, std::int64_t total) {
                                   EXPECT_EQ(total, env.model.TriangleCount);
                                   asked.push_back(done);
                                   return asked.size() == 3;
                                 }));
  EXPECT_EQ(asked, (std::vector<std::int64_t>{0, kFillStopStride, 2 * kFillStopStride}));
  EXPECT_EQ(stopped.calls,
            std::vector<std::string>(all.begin(), all.begin() + 6 * 2 * kFillStopStride));
}

// The last column beyond the 32-bit pixel range: what comes before it is painted, then error 6.
TEST(FillTriangleBases, PixelOverflowInALongListStopsWhereItIsMet) {
  testing::FakeEnvironment env = LongList();
  MeshModel& m = env.model;
  m.NodeX(m.NodeCountX) = 1e15;
  BuildTriangleList(m);
  const PixelMapping map = MakePixelMapping(m);
  const std::vector<TriangleRecord> listed = testing::Listed(m);
  const auto before = std::ranges::find_if(listed, [](const TriangleRecord& t) {
    return std::max({t.X[1], t.X[2], t.X[3]}) > 1e14;
  });
  ASSERT_NE(before, listed.begin());
  testing::RecordingSurface s;
  EXPECT_EQ(ErrorNumberOf([&] { FillTriangleBases(s, m, env.window, map); }), err::kOverflow);
  EXPECT_EQ(std::ssize(testing::Starting(s.calls, "Polygon")), before - listed.begin());
}

}  // namespace
}  // namespace ombrix
