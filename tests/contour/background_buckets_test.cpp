#include "contour/background_buckets.h"

#include <gtest/gtest.h>

#include <cmath>

#include "contour/mesh_division.h"
#include "contour_fixture.h"

namespace ombrix {
namespace {

// The table it builds is the one every drawing uses: the contour drawing's random level loop
// compares what it draws with a slow reference, and its Esc test stops the wait for it.
TEST(BackgroundBuckets, StopsWhenAskedAndWhenDestroyedEarly) {
  testing::FakeEnvironment env;
  testing::GridMesh(env, 60, 60, [](int i, int j) {
    return std::sin((i + 1) * 0.3) * 6 + std::cos((j + 1) * 0.2) * 5 + 11;
  });
  MeshModel& m = env.model;
  DivideTriangles(m, 3);
  const LevelSeries series{0, 23, 5};
  {
    BackgroundBuckets background(m, series, 1, 24);
    EXPECT_EQ(background.Wait([](std::int64_t, std::int64_t) { return true; }), nullptr);
  }
  // Left unwaited (a base fill that failed): the destructor stops and joins the thread.
  { BackgroundBuckets background(m, series, 1, 24); }
}

}  // namespace
}  // namespace ombrix
