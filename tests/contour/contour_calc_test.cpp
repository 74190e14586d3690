#include "contour/contour_calc.h"

#include <gtest/gtest.h>

#include "contour_fixture.h"
#include "fakes/error_capture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "contour/level_buckets.h"
#include "contour/level_series.h"
#include "contour/triangle_list.h"
#include "fakes/fake_context.h"
#include "model/messages.h"
#include "model/run_error.h"

namespace ombrix {
namespace {

using testing::Exact;
using testing::FakeEnvironment;
using testing::Listed;
using testing::MakeMesh;
using testing::ReferenceExtrema;
using testing::Split;
using Calls = std::vector<std::string>;

// What reached on_level: each level with its segments, to the bit.
using LevelLog = std::vector<std::pair<std::int32_t, std::vector<std::string>>>;

ContourOutcome Draw(FakeEnvironment& env, LevelLog* log = nullptr) {
  CommandContext ctx = env.Context();
  ContourHooks hooks;
  if (log != nullptr) {
    hooks.on_level = [log](std::int32_t level, const GrowableList<SegmentRecord>& segments) {
      log->emplace_back(level, Exact(segments));
    };
  }
  return ContourCalc(ctx, hooks);
}

// The recorded calls without the Refresh calls, which only make drawing visible.
Calls Drawn(const testing::RecordingSurface& surface) {
  Calls out = surface.calls;
  std::erase(out, "Refresh");
  return out;
}

// 2 x 2 nodes over 10 x 10 units: a 600 x 600 frame at (30, 20), 60 pixels a unit, so mesh
// (y, x) lies at pixel (x * 60 + 31, 619 - y * 60). Values 4.5 on the left, 6.5 on the right,
// 5.5 in the centre: levels 5 and 6, each cut by three triangles.
void TwoByTwo(FakeEnvironment& env) {
  MakeMesh(env, {0, 10}, {10, 0}, {{4.5, 6.5}, {4.5, 6.5}});
}

const Calls kHead = Split("DrawWidth 1;ScaleMode 3;Cls;Box 30 20 630 620 #f0f000;FontSize 11");
const Calls kCoordinateLabels = Split(
    "ForeColor #006400;CurrentX 29;CurrentY 624;Print \" 0\";CurrentX 615;CurrentY 624;"
    "Print \" 10\";CurrentX 4;CurrentY 14;Print \" 10\";CurrentX 4;CurrentY 607;Print \" 0\"");

Calls Join(std::initializer_list<Calls> parts) {
  Calls out;
  for (const auto& part : parts)
    out.insert(out.end(), part.begin(), part.end());
  return out;
}

// Level 5, a multiple of the label unit: red, labelled at its first segment. Level 6: blue.
const Calls kLevels = Split(
    "Line 181 469 181 169 #ff0000;CurrentX 181;CurrentY 469;ForeColor #006400;Print \" 5\";"
    "Line 181 19 181 169 #ff0000;Line 181 619 181 469 #ff0000;Line 481 19 481 169 #0000ff;"
    "Line 481 469 481 169 #0000ff;Line 481 619 481 469 #0000ff");

TEST(ContourCalc, DrawsFrameLevelsLabelsAndCoordinatesAsTheSwitchesSay) {
  // First as set: no outline, labels and red lines. The outline needs its box at exactly 1 and
  // comes before the levels. Red line off: multiples are drawn blue but still labelled. Labels
  // off: red stays.
  const Calls outline = Split(
      "Line 31 19 31 619 #f0f000;Line 31 619 331 319 #f0f000;Line 31 19 331 319 #f0f000;"
      "Line 31 19 631 19 #f0f000;Line 631 19 331 319 #f0f000;Line 31 19 331 319 #f0f000;"
      "Line 631 19 631 619 #f0f000;Line 631 619 331 319 #f0f000;Line 631 19 331 319 #f0f000;"
      "Line 631 619 31 619 #f0f000;Line 31 619 331 319 #f0f000;Line 631 619 331 319 #f0f000");
  Calls blue = kLevels, unlabelled = kLevels;
  for (std::string& call : blue) {
    if (call.ends_with("#ff0000"))
      call.replace(call.size() - 7, 7, "#0000ff");
  }
  unlabelled.erase(unlabelled.begin() + 1, unlabelled.begin() + 5);
  struct Case {
    std::int32_t outline, label, red;
    Calls levels;
  };
  for (const Case& c : {Case{0, 1, 1, kLevels}, Case{1, 1, 1, Join({outline, kLevels})},
                        Case{2, 1, 1, kLevels}, Case{0, 1, 0, blue}, Case{0, 0, 1, unlabelled}}) {
    FakeEnvironment env;
    TwoByTwo(env);
    env.panel.Check1 = c.outline;
    env.panel.Check2 = c.label;
    env.panel.Check3 = c.red;
    EXPECT_EQ(Draw(env), ContourOutcome::Drawn);
    EXPECT_EQ(Drawn(env.picture), Join({kHead, c.levels, kCoordinateLabels}))
        << c.outline << c.label << c.red;
    EXPECT_EQ(env.printer.calls, (Calls{"DrawWidth 1"}));  // printing is off
    EXPECT_EQ(env.model.DataMin, 4.5);
    EXPECT_EQ(env.model.DataMax, 6.5);
  }
}

TEST(ContourCalc, LineWidthBelowOneOnlyShowsTheMessage) {
  for (const char* width : {"0", "", "0.5", "-3", "abc"}) {
    FakeEnvironment env;
    TwoByTwo(env);
    env.panel.Text2 = width;
    EXPECT_EQ(Draw(env), ContourOutcome::LineWidthTooSmall) << width;
    ASSERT_EQ(env.dialogs.messages.size(), 1u) << width;
    EXPECT_EQ(env.dialogs.messages[0].text, msg::kLineWidthTooSmall);
    EXPECT_EQ(env.dialogs.messages[0].title, msg::kErrorReportTitle);
    EXPECT_TRUE(env.picture.calls.empty() && env.printer.calls.empty()) << width;
  }
}

TEST(ContourCalc, SingleRowOrColumnMeshEndsInError6AfterTheFrame) {
  FakeEnvironment env;
  MakeMesh(env, {0, 10, 20}, {5}, {{1, 2, 3}});
  EXPECT_EQ(ErrorNumberOf([&] { Draw(env); }), err::kOverflow);
  EXPECT_EQ(Drawn(env.picture),
            Split("DrawWidth 1;ScaleMode 3;Cls;Box 30 20 830 20 #f0f000;FontSize 11"));
  FakeEnvironment column;
  MakeMesh(column, {4}, {10, 5, 0}, {{1}, {2}, {3}});
  EXPECT_EQ(ErrorNumberOf([&] { Draw(column); }), err::kOverflow);
}

// --- The level loop against a slow reference --------------------------------------------------

struct ReferenceLevel {
  std::int64_t level;
  std::vector<SegmentRecord> segments;
};

// The whole level loop done the slow way: every level from the first to the top, every
// triangle at every level, the pairwise flat pass. `triangles` has its Flags updated as the
// loop goes.
std::vector<ReferenceLevel> ReferenceLoop(const MeshModel& m,
                                          std::vector<TriangleRecord>& triangles,
                                          std::int64_t interval, int divided) {
  std::vector<double> valued;
  for (int i = 1; i <= m.NodeCountY; ++i) {
    for (int j = 1; j <= m.NodeCountX; ++j) {
      if (m.NodeBlank(i, j) == 0)
        valued.push_back(m.NodeValue(i, j));
    }
  }
  const auto [lo, hi] = std::ranges::minmax(valued);
  std::int64_t first = static_cast<std::int64_t>(std::floor(lo)) + 1;
  const std::int64_t top = static_cast<std::int64_t>(std::floor(hi));
  if (interval > 1)
    first = (static_cast<std::int64_t>(std::floor(double(first) / interval)) + 1) * interval;
  const auto px = [&](double x) {
    return (x - m.NodeX(1)) * (double(m.FrameWidth) / m.RangeX) + double(m.FrameLeft + 1);
  };
  const auto py = [&](double y) {
    return m.FrameTop + m.FrameHeight - 1 -
           (y - m.NodeY(m.NodeCountY)) * (double(m.FrameHeight) / m.RangeY);
  };
  std::vector<ReferenceLevel> out;
  for (std::int64_t level = first; interval != 0 && (interval > 0 ? level <= top : level >= top);
       level += interval) {
    const double L = double(level);
    std::vector<SegmentRecord> segments;
    std::vector<TriangleRecord> flats;
    const auto add = [&](const TriangleRecord& t, int a, int b) {
      segments.push_back({py(t.Y[a]), px(t.X[a]), py(t.Y[b]), px(t.X[b]), kSegmentDrawn});
    };
    for (TriangleRecord& t : triangles) {
      // Crossings (j of them, stored at slots 1.., index 0 unused) and vertices on the level
      // (k, counted once per edge that touches them).
      TriangleRecord cut;
      int j = 0, k = 0, on = 0;
      const int edge[3][4] = {{1, 2, 2, 1}, {2, 3, 3, 2}, {1, 3, 1, 3}};  // ends, then from/to
      for (const auto& e : edge) {
        const double p = (t.Z[e[0]] - L) * (t.Z[e[1]] - L);
        const int b = e[2], o = e[3];
        if (p < 0) {
          ++j;
          cut.Y[j] = (t.Y[o] - t.Y[b]) * (L - t.Z[b]) / (t.Z[o] - t.Z[b]) + t.Y[b];
          cut.X[j] = (t.X[o] - t.X[b]) * (L - t.Z[b]) / (t.Z[o] - t.Z[b]) + t.X[b];
        } else if (p == 0) {
          for (const int v : {o, b}) {
            if (t.Z[v] == L && ++k == 1)
              on = v;
          }
        }
      }
      if (j == 2 && k == 0) {
        segments.push_back({py(cut.Y[1]), px(cut.X[1]), py(cut.Y[2]), px(cut.X[2]), kSegmentDrawn});
      } else if (j == 1 && k == 2) {
        segments.push_back({py(cut.Y[1]), px(cut.X[1]), py(t.Y[on]), px(t.X[on]), kSegmentDrawn});
      } else if (j == 0 && k == 6) {
        add(t, 1, 2);
        add(t, 2, 3);
        add(t, 1, 3);
        TriangleRecord f;
        for (int v = 1; v <= 3; ++v) {
          f.Y[v] = py(t.Y[v]);
          f.X[v] = px(t.X[v]);
        }
        flats.push_back(f);
      } else if (j == 0 && k == 4) {
        const int a = t.Z[1] == t.Z[2] || t.Z[1] == t.Z[3] ? 1 : 2;
        const int b = t.Z[1] == t.Z[2] ? 2 : 3;
        if (divided == 0)
          t.Flags[a] = t.Flags[b] = 1;
        add(t, a, b);
        if (divided != 0 ? t.Flags[a] == -1 : ReferenceExtrema(m, t) >= 1)
          segments.pop_back();
        if (divided == 0 && ReferenceExtrema(m, t) >= 1) {
          for (int v = 1; v <= 3; ++v)
            t.Flags[v] = -t.Flags[v];
        }
      }
    }
    // Flat pass: every pair, an entry at the first shared corner, out again after only one.
    testing::ReferenceSuppression(testing::ReferencePairing(flats), segments);
    out.push_back({level, std::move(segments)});
  }
  return out;
}

// A 70 x 70 mesh: 19044 triangles, more than one stride of every long phase.
void Large(FakeEnvironment& env) {
  testing::GridMesh(env, 70, 70,
                    [](int i, int j) { return std::sin(i * 0.21) * 9 + std::cos(j * 0.17) * 7; });
}

// The last round draws a list longer than a stride of the level table's build.
TEST(ContourCalc, LevelLoopMatchesTheSlowReferenceOnRandomMeshes) {
  std::mt19937 rng(77031);
  const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  int levels_compared = 0, edges_dropped = 0, suppressed_seen = 0;
  for (int round = 0; round <= 300; ++round) {
    FakeEnvironment env;
    if (round == 300)
      Large(env);
    else
      testing::RandomMesh(env, rng, round);
    MeshModel& m = env.model;
    const int divided = round % 5 == 4 ? 1 : 0;
    env.window.DividedMesh = divided;
    for (int t = 1; divided != 0 && t <= m.TriangleCount; ++t) {
      std::array<std::int32_t, 4> flags{};
      for (int v = 1; v <= 3; ++v)  // the division leaves its own flags in the list
        flags[static_cast<std::size_t>(v)] = pick(3) - 1;
      m.Triangles.SetFlags(t, flags);
    }
    const int interval = std::array{1, 1, 1, 2, 3, -1}[pick(6)];
    env.panel.Text1 = std::to_string(interval);

    std::vector<TriangleRecord> ref_triangles = Listed(m);
    const std::vector<ReferenceLevel> want = ReferenceLoop(m, ref_triangles, interval, divided);
    LevelLog log;
    ASSERT_EQ(Draw(env, &log), ContourOutcome::Drawn) << "round " << round;

    // The reported levels are the reference levels in order; those skipped have no segments.
    std::size_t got = 0;
    std::int64_t drawn = 0;
    for (const ReferenceLevel& level : want) {
      for (const SegmentRecord& s : level.segments) {
        drawn += s.State == kSegmentDrawn;
        suppressed_seen += s.State == kSegmentSuppressed;
      }
      const std::string where =
          "round " + std::to_string(round) + " level " + std::to_string(level.level);
      if (got == log.size() || log[got].first != level.level) {
        ASSERT_TRUE(level.segments.empty()) << where << " skipped";
        continue;
      }
      ASSERT_EQ(log[got++].second, Exact(level.segments)) << where;
      ++levels_compared;
    }
    ASSERT_EQ(got, log.size()) << "round " << round << ": a level outside the series";
    for (int t = 1; t <= m.TriangleCount; ++t) {
      const auto& flags = m.Triangles(t).Flags;
      ASSERT_EQ(flags, ref_triangles[t - 1].Flags) << "round " << round << " triangle " << t;
      edges_dropped += divided == 0 && std::ranges::count(flags, -1) != 0;
    }
    // Every drawn segment became one line.
    EXPECT_EQ(std::ssize(testing::Starting(env.picture.calls, "Line ")), drawn)
        << "round " << round;
  }
  // The random meshes must have reached the cases that matter.
  EXPECT_GT(levels_compared, 1000);
  EXPECT_GT(edges_dropped, 20);
  EXPECT_GT(suppressed_seen, 50);
}

TEST(ContourCalc, EscBeforeTheLevelsStopsEachLongPhaseAtOnce) {
  struct Case {
    std::string_view phase;
    bool easy;
  };
  for (const Case& c : {Case{"下地を塗っています", false}, Case{"等高線の準備中", false},
                        Case{"濃淡を塗っています", true}}) {
    FakeEnvironment env;
    Large(env);
    env.panel.Option1 = false;
    env.panel.Option3 = !c.easy;
    env.panel.Option2 = c.easy;
    env.panel.Check4 = 1;  // printing: a stopped drawing withdraws its job
    const std::vector<TriangleRecord> before = Listed(env.model);
    env.events.on_process = [&] {
      if (env.windows.log.back().starts_with("Status " + std::string(c.phase)))
        env.events.cancel = true;
    };
    EXPECT_EQ(Draw(env), ContourOutcome::Cancelled) << c.phase;
    EXPECT_EQ(env.windows.log.back(), "Status 作図を中断しました。") << c.phase;
    EXPECT_EQ(std::ranges::count(env.printer.calls, "KillDoc"), 1) << c.phase;
    EXPECT_EQ(std::ranges::count(env.printer.calls, "EndDoc"), 0) << c.phase;
    EXPECT_EQ(Listed(env.model), before) << c.phase;
    const auto starting = [&](std::string_view call) {
      return std::ssize(testing::Starting(env.picture.calls, call));
    };
    // Stopped at the phase's first check: the fill drew nothing, no level was drawn.
    const bool after_fill = c.phase == "等高線の準備中";
    EXPECT_EQ(starting("Polygon"), after_fill ? env.model.TriangleCount : 0) << c.phase;
    EXPECT_EQ(starting("FilledBox"), 0) << c.phase;
    EXPECT_EQ(starting("Line"), 0) << c.phase;

    // The next drawing goes through to the end.
    env.events.on_process = nullptr;
    EXPECT_EQ(Draw(env), ContourOutcome::Drawn) << c.phase;
    EXPECT_GT(starting("Line"), 0) << c.phase;
    EXPECT_EQ(env.windows.log.back(), "Status ") << c.phase;
  }
}

TEST(ContourCalc, LevelTableIsBuiltInTwoPassesOfStridesAndDroppedWhenStopped) {
  FakeEnvironment env;
  Large(env);
  const MeshModel& m = env.model;
  const LevelSeries series = ChooseLevels(FindDataRange(m), 1);
  const std::int64_t count = LevelCount(series, 1);
  std::vector<std::pair<std::int64_t, std::int64_t>> asked;
  const LevelBuckets buckets(m, series, 1, count, [&](std::int64_t done, std::int64_t total) {
    asked.emplace_back(done, total);
    return false;
  });
  ASSERT_TRUE(buckets.bucketed());
  ASSERT_FALSE(buckets.cancelled());
  // Progress is counted over both passes.
  const std::int64_t n = m.TriangleCount, stride = LevelBuckets::kStopStride;
  EXPECT_EQ(asked, (std::vector<std::pair<std::int64_t, std::int64_t>>{
                       {0, 2 * n}, {stride, 2 * n}, {n, 2 * n}, {n + stride, 2 * n}}));
  // Stopped in the second pass: no table is left to use.
  int checks = 0;
  const LevelBuckets stopped(m, series, 1, count,
                             [&](std::int64_t, std::int64_t) { return ++checks == 3; });
  EXPECT_TRUE(stopped.cancelled());
  EXPECT_FALSE(stopped.bucketed());
}

}  // namespace
}  // namespace ombrix
