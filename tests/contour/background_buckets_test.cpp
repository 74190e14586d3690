#include "contour/background_buckets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "contour/mesh_division.h"
#include "contour_fixture.h"

namespace ombrix {
namespace {

void WavyMesh(testing::FakeEnvironment& env, int n) {
  testing::GridMesh(env, n, n, [](int i, int j) {
    return std::sin((i + 1) * 0.3) * 6 + std::cos((j + 1) * 0.2) * 5 + 11;
  });
}

std::vector<std::vector<std::int32_t>> Candidates(const LevelBuckets& buckets, std::int64_t count) {
  std::vector<std::vector<std::int32_t>> out(static_cast<std::size_t>(count));
  for (std::int64_t k = 0; k < count; ++k) {
    buckets.ForEachCandidate(k, static_cast<double>(k), [&](std::int32_t t, const TriangleRecord&) {
      out[static_cast<std::size_t>(k)].push_back(t);
    });
  }
  return out;
}

TEST(BackgroundBuckets, BuildsTheTableTheMainThreadWould) {
  for (int divisions : {1, 3}) {
    testing::FakeEnvironment env;
    WavyMesh(env, 40);
    MeshModel& m = env.model;
    DivideTriangles(m, divisions);
    const LevelSeries series{0, 23, 5};
    const LevelBuckets direct(m, series, 1, 24);
    BackgroundBuckets background(m, series, 1, 24);
    int asked = 0;
    const LevelBuckets* table = background.Wait([&](std::int64_t, std::int64_t) {
      ++asked;
      return false;
    });
    ASSERT_NE(table, nullptr);
    EXPECT_GE(asked, 1);  // the phase is shown even when the table is ready at once
    EXPECT_TRUE(table->bucketed());
    EXPECT_EQ(Candidates(*table, 24), Candidates(direct, 24)) << "d " << divisions;
  }
}

TEST(BackgroundBuckets, StopsWhenAskedAndWhenDestroyedEarly) {
  testing::FakeEnvironment env;
  WavyMesh(env, 60);
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
