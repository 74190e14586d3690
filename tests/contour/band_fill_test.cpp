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
  ASSERT_EQ(w.ColorLevel(0), 20);
  ASSERT_EQ(w.ColorLevel(16), 4);
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

// A 2 x 2 mesh: x 0..1, y 1..0 over a 400 x 400 frame.
testing::FakeEnvironment CellMesh(double z11, double z12, double z21, double z22) {
  testing::FakeEnvironment env;
  testing::MakeMesh(env, {0, 1}, {1, 0}, {{z11, z12}, {z21, z22}});
  MeshModel& m = env.model;
  m.RangeX = m.RangeY = 1;
  m.FrameLeft = 30;
  m.FrameTop = 20;
  m.FrameWidth = m.FrameHeight = 400;
  env.panel.Option1 = false;
  env.panel.Option3 = true;
  return env;
}

TEST(NormalMode, BaseFillsThenBandPolygonsAboveEachLevel) {
  // Corners 0, 0 on the top row and 2, 2 on the bottom: level 1 cuts every triangle but none
  // through a vertex. Pixels: x 31..431, y 19..419.
  testing::FakeEnvironment env = CellMesh(0, 0, 2, 2);
  CommandContext ctx = env.Context();
  ContourCalc(ctx);
  const std::vector<std::string> polygons = testing::Starting(env.picture.calls, "Polygon");
  // Four base fills, then the band triangles of sides 1 and 3 at level 1; level 2 only
  // touches vertices or lies along the bottom edge, which fills nothing.
  ASSERT_EQ(polygons.size(), 4u + 2u);
  EXPECT_EQ(polygons[0], "Polygon 31,19 31,419 231,219");  // side 1: (1,1) (2,1) centre
  EXPECT_EQ(polygons[3], "Polygon 431,419 31,419 231,219");
  // Side 1 (values 0, 2, centre 1): crossings on E1 and E3; E2 ends at the centre (1 = L),
  // so j = 1 and k = 2: crossing, on-level vertex, higher end (vertex 2).
  EXPECT_EQ(polygons[4], "Polygon 31,219 231,219 31,419");
  // Side 3 (values 0 at (1,2), 2 at (2,2), centre 1): the same shape on the right.
  EXPECT_EQ(polygons[5], "Polygon 431,219 231,219 431,419");
}

TEST(NormalMode, TwoCrossingsGiveATriangleOrAQuadrilateral) {
  // Top row 3, bottom row 0, centre 1.5; levels 1 and 2.
  testing::FakeEnvironment env = CellMesh(3, 3, 0, 0);
  CommandContext ctx = env.Context();
  ContourCalc(ctx);
  const std::vector<std::string> polygons = testing::Starting(env.picture.calls, "Polygon");
  ASSERT_GT(polygons.size(), 5u);
  // Side 1 (vertex 1 = 3 at the top, vertex 2 = 0 below, centre 1.5) at level 1: E1 and E2
  // cross, their higher ends are vertex 1 and the centre: the quadrilateral crossing 1,
  // crossing 2, centre, vertex 1 (crossings at y 1/3 and (1/3, 1/3), rounded to pixels).
  EXPECT_EQ(polygons[4], "Polygon 31,286 164,286 231,219 31,19");
  // At level 2, E1 and E3 cross and both higher ends are vertex 1: a triangle.
  EXPECT_NE(std::find(polygons.begin(), polygons.end(), "Polygon 31,152 164,152 31,19"),
            polygons.end());
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
