#include "contour/contour_calc.h"

#include <gtest/gtest.h>

#include "fakes/error_capture.h"
#include "fakes/fitted_frame.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "contour/triangle_list.h"
#include "fakes/fake_context.h"
#include "import/plot_frame.h"
#include "model/messages.h"
#include "model/modes.h"
#include "model/run_error.h"

namespace ombrix {
namespace {

using testing::FakeEnvironment;

// A mesh of nx columns and ny rows with its plot frame fitted the way the import fits it.
void MakeMesh(FakeEnvironment& env, const std::vector<double>& xs, const std::vector<double>& ys,
              const std::vector<std::vector<double>>& values) {
  MeshModel& m = env.model;
  const int nx = static_cast<int>(xs.size());
  const int ny = static_cast<int>(ys.size());
  AllocateMesh(m, nx, ny);
  for (int j = 1; j <= nx; ++j)
    m.NodeX(j) = xs[static_cast<std::size_t>(j - 1)];
  for (int i = 1; i <= ny; ++i) {
    m.NodeY(i) = ys[static_cast<std::size_t>(i - 1)];
    for (int j = 1; j <= nx; ++j) {
      m.NodeValue(i, j) = values[static_cast<std::size_t>(i - 1)][static_cast<std::size_t>(j - 1)];
    }
  }
  testing::FitPlotFrame(m);
  env.window.MeshFileName = "mesh.xlsx";
}

// What reached on_level, level by level.
struct LevelLog {
  std::vector<std::pair<std::int32_t, std::vector<SegmentRecord>>> levels;

  ContourHooks Hooks() {
    ContourHooks hooks;
    hooks.on_level = [this](std::int32_t level, const GrowableList<SegmentRecord>& segments) {
      std::vector<SegmentRecord> copy;
      for (int s = 1; s <= segments.count(); ++s)
        copy.push_back(segments(s));
      levels.emplace_back(level, std::move(copy));
    };
    return hooks;
  }
  std::vector<std::int32_t> Numbers() const {
    std::vector<std::int32_t> out;
    for (const auto& level : levels)
      out.push_back(level.first);
    return out;
  }
};

ContourOutcome Draw(FakeEnvironment& env, LevelLog* log = nullptr) {
  CommandContext ctx = env.Context();
  return log == nullptr ? ContourCalc(ctx) : ContourCalc(ctx, log->Hooks());
}

// The recorded calls without the Refresh calls, which only make drawing visible.
std::vector<std::string> Drawn(const testing::RecordingSurface& surface) {
  std::vector<std::string> out;
  for (const std::string& call : surface.calls) {
    if (call != "Refresh")
      out.push_back(call);
  }
  return out;
}

// 2 x 2 nodes over 10 x 10 units: a 600 x 600 frame at (30, 20), 60 pixels a unit, so mesh
// (y, x) lies at pixel (x * 60 + 31, 619 - y * 60). Values 4.5 on the left, 6.5 on the right,
// 5.5 in the centre: levels 5 and 6, each cut by three triangles.
void TwoByTwo(FakeEnvironment& env) {
  MakeMesh(env, {0, 10}, {10, 0}, {{4.5, 6.5}, {4.5, 6.5}});
  BuildTriangleList(env.model);
}

const std::vector<std::string> kHead = {
    "DrawWidth 1", "ScaleMode 3", "Cls", "Box 30 20 630 620 #f0f000", "FontSize 11",
};
const std::vector<std::string> kCoordinateLabels = {
    "ForeColor #006400", "CurrentX 29",   "CurrentY 624", "Print \" 0\"", "CurrentX 615",
    "CurrentY 624",      "Print \" 10\"", "CurrentX 4",   "CurrentY 14",  "Print \" 10\"",
    "CurrentX 4",        "CurrentY 607",  "Print \" 0\"",
};

// Calls written one after another, separated by ';'.
std::vector<std::string> Split(std::string_view text) {
  std::vector<std::string> out;
  for (std::size_t at = 0; at <= text.size();) {
    const std::size_t end = std::min(text.find(';', at), text.size());
    out.emplace_back(text.substr(at, end - at));
    at = end + 1;
  }
  return out;
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> out;
  for (const auto& part : parts)
    out.insert(out.end(), part.begin(), part.end());
  return out;
}

// Level 5, a multiple of the label unit 5: red, labelled at the first segment's start. Level 6:
// blue, no label.
const std::vector<std::string> kLevels = Split(
    "Line 181 469 181 169 #ff0000;CurrentX 181;CurrentY 469;ForeColor #006400;Print \" 5\";"
    "Line 181 19 181 169 #ff0000;Line 181 619 181 469 #ff0000;Line 481 19 481 169 #0000ff;"
    "Line 481 469 481 169 #0000ff;Line 481 619 481 469 #0000ff");

TEST(ContourCalc, DrawsFrameLevelsLabelAndCoordinatesInOrder) {
  FakeEnvironment env;
  TwoByTwo(env);
  LevelLog log;
  EXPECT_EQ(Draw(env, &log), ContourOutcome::Drawn);
  EXPECT_EQ(Drawn(env.picture), Join({kHead, kLevels, kCoordinateLabels}));
  EXPECT_EQ(env.printer.calls, (std::vector<std::string>{"DrawWidth 1"}));
  EXPECT_TRUE(env.dialogs.messages.empty());
  EXPECT_EQ(env.model.DataMin, 4.5);
  EXPECT_EQ(env.model.DataMax, 6.5);

  ASSERT_EQ(log.Numbers(), (std::vector<std::int32_t>{5, 6}));
  // Segments in pixels, first end then second, from triangles 1, 2, 4 in list order.
  const std::vector<SegmentRecord> level5 = {
      {469, 181, 169, 181, -1}, {19, 181, 169, 181, -1}, {619, 181, 469, 181, -1}};
  EXPECT_EQ(log.levels[0].second, level5);
}

TEST(ContourCalc, OutlineNeedsTheCheckBoxAtExactly1AndComesBeforeTheLevels) {
  const std::vector<std::string> outline = Split(
      "Line 31 19 31 619 #f0f000;Line 31 619 331 319 #f0f000;Line 31 19 331 319 #f0f000;"
      "Line 31 19 631 19 #f0f000;Line 631 19 331 319 #f0f000;Line 31 19 331 319 #f0f000;"
      "Line 631 19 631 619 #f0f000;Line 631 619 331 319 #f0f000;Line 631 19 331 319 #f0f000;"
      "Line 631 619 31 619 #f0f000;Line 31 619 331 319 #f0f000;Line 631 619 331 319 #f0f000");
  for (const std::int32_t check : {1, 2}) {
    FakeEnvironment env;
    TwoByTwo(env);
    env.panel.Check1 = check;
    Draw(env);
    EXPECT_EQ(Drawn(env.picture), check == 1 ? Join({kHead, outline, kLevels, kCoordinateLabels})
                                             : Join({kHead, kLevels, kCoordinateLabels}));
  }
}

TEST(ContourCalc, RedLineAndLabelSwitches) {
  // Red line off: multiples are drawn blue but still labelled. Labels off: red stays.
  std::vector<std::string> blue = kLevels, unlabelled = kLevels;
  for (std::string& call : blue) {
    if (call.ends_with("#ff0000"))
      call.replace(call.size() - 7, 7, "#0000ff");
  }
  unlabelled.erase(unlabelled.begin() + 1, unlabelled.begin() + 5);
  for (const auto& [check2, check3] : {std::pair{1, 0}, std::pair{0, 1}}) {
    FakeEnvironment env;
    TwoByTwo(env);
    env.panel.Check2 = check2;
    env.panel.Check3 = check3;
    Draw(env);
    EXPECT_EQ(Drawn(env.picture),
              Join({kHead, check3 == 0 ? blue : unlabelled, kCoordinateLabels}));
  }
}

TEST(ContourCalc, LabelIsYellowOutsideTheNothingModeAndTheModeFollowsTheOptions) {
  for (const auto& [option2, option3] : {std::pair{true, false}, std::pair{false, true}}) {
    FakeEnvironment env;
    TwoByTwo(env);
    env.panel.Option1 = false;
    env.panel.Option2 = option2;
    env.panel.Option3 = option3;
    Draw(env);
    EXPECT_EQ(env.window.ColorMode, option2 ? kColorEasy : kColorNormal);
    const std::vector<std::string> calls = Drawn(env.picture);
    const auto label = std::find(calls.begin(), calls.end(), "Print \" 5\"");
    ASSERT_NE(label, calls.end());
    EXPECT_EQ(*(label - 1), "ForeColor #fafa00");
    EXPECT_EQ(*(label - 3), "CurrentX 181");
  }
  // No option selected: the mode keeps its value.
  FakeEnvironment env;
  TwoByTwo(env);
  env.window.ColorMode = kColorNormal;
  env.panel.Option1 = false;
  Draw(env);
  EXPECT_EQ(env.window.ColorMode, kColorNormal);
}

TEST(ContourCalc, NegativeMultipleOfTheLabelUnitIsRedAndLabelled) {
  FakeEnvironment env;
  MakeMesh(env, {0, 10}, {10, 0}, {{-10.5, -9.5}, {-10.5, -9.5}});
  BuildTriangleList(env.model);
  LevelLog log;
  Draw(env, &log);
  EXPECT_EQ(log.Numbers(), (std::vector<std::int32_t>{-10}));
  const std::vector<std::string> want = Join({
      kHead,
      {"Line 331 19 331 319 #ff0000", "CurrentX 331", "CurrentY 19", "ForeColor #006400",
       "Print \"-10\"", "Line 331 619 331 319 #ff0000"},
      kCoordinateLabels,
  });
  EXPECT_EQ(Drawn(env.picture), want);
}

TEST(ContourCalc, LabelGoesToTheFirstSegmentThatIsDrawn) {
  // A divided list of two flat triangles sharing the edge P-Q: the first segment of the level
  // is that shared edge and is suppressed, so the label goes to the second one, Q-R.
  FakeEnvironment env;
  MakeMesh(env, {0, 10}, {10, 0}, {{4.5, 6.5}, {4.5, 6.5}});
  MeshModel& m = env.model;
  ResetTriangles(m);
  const auto flat = [&](std::array<std::pair<double, double>, 3> corners) {
    TriangleRecord t;
    for (std::size_t v = 1; v <= 3; ++v) {
      t.Y[v] = corners[v - 1].first;
      t.X[v] = corners[v - 1].second;
      t.Z[v] = 5;
    }
    AppendTriangle(m, t);
  };
  const std::pair<double, double> p{10, 0}, q{10, 10}, r{0, 0}, s{5, 5};
  flat({p, q, r});
  flat({q, p, s});
  env.window.DividedMesh = 1;
  LevelLog log;
  Draw(env, &log);
  ASSERT_EQ(log.Numbers(), (std::vector<std::int32_t>{5}));
  ASSERT_EQ(log.levels[0].second.size(), 6u);
  EXPECT_EQ(log.levels[0].second[0].State, kSegmentSuppressed);
  const std::vector<std::string> want = Join({
      kHead,
      {"Line 631 19 31 619 #ff0000", "CurrentX 631", "CurrentY 19", "ForeColor #006400",
       "Print \" 5\"", "Line 31 19 31 619 #ff0000", "Line 31 19 331 319 #ff0000",
       "Line 631 19 331 319 #ff0000"},
      kCoordinateLabels,
  });
  EXPECT_EQ(Drawn(env.picture), want);
}

TEST(ContourCalc, LineWidthBelowOneOnlyShowsTheMessage) {
  for (const char* width : {"0", "", "0.5", "-3", "abc"}) {
    FakeEnvironment env;
    TwoByTwo(env);
    env.panel.Text2 = width;
    LevelLog log;
    EXPECT_EQ(Draw(env, &log), ContourOutcome::LineWidthTooSmall) << width;
    ASSERT_EQ(env.dialogs.messages.size(), 1u) << width;
    EXPECT_EQ(env.dialogs.messages[0].text, msg::kLineWidthTooSmall);
    EXPECT_EQ(env.dialogs.messages[0].title, msg::kErrorReportTitle);
    EXPECT_TRUE(env.picture.calls.empty() && env.printer.calls.empty()) << width;
    EXPECT_TRUE(log.levels.empty());
  }
}

TEST(ContourCalc, LineWidthIsRoundedHalfToEven) {
  for (const auto& [text, width] : {std::pair{"1.5", "2"}, std::pair{"2.5", "2"},
                                    std::pair{"3.5px", "4"}, std::pair{" 7", "7"}}) {
    FakeEnvironment env;
    TwoByTwo(env);
    env.panel.Text2 = text;
    Draw(env);
    ASSERT_FALSE(env.picture.calls.empty());
    EXPECT_EQ(env.picture.calls[0], std::string("DrawWidth ") + width) << text;
    EXPECT_EQ(env.printer.calls, std::vector<std::string>{env.picture.calls[0]});
  }
}

TEST(ContourCalc, LevelsFollowTheInterval) {
  struct Case {
    double left, right;
    const char* interval;
    std::vector<std::int32_t> levels;
  };
  const Case cases[] = {
      {4.5, 6.5, "0", {}},
      {4.5, 30.5, "5", {10, 15, 20, 25, 30}},  // the next multiple above the first level
      {4.5, 6.5, "-1", {}},                    // negative: only when the first level is the top
      {4.5, 5.5, "-1", {5}},
      {2.5, 2.5, "1", {}},  // a constant field
  };
  for (const Case& c : cases) {
    FakeEnvironment env;
    MakeMesh(env, {0, 10}, {10, 0}, {{c.left, c.right}, {c.left, c.right}});
    BuildTriangleList(env.model);
    env.panel.Text1 = c.interval;
    LevelLog log;
    EXPECT_EQ(Draw(env, &log), ContourOutcome::Drawn);
    EXPECT_EQ(log.Numbers(), c.levels) << c.left << " " << c.right << " " << c.interval;
    if (c.levels.empty()) {
      EXPECT_EQ(Drawn(env.picture), Join({kHead, kCoordinateLabels})) << c.interval;
    }
  }
}

TEST(ContourCalc, CoordinateLabelsPrintTheMeshCoordinates) {
  FakeEnvironment env;
  MakeMesh(env, {-1.5, 2.5, 6.5}, {7.25, 3.25}, {{1, 1, 1}, {1, 1, 1}});
  BuildTriangleList(env.model);
  Draw(env);
  // RangeX 8, RangeY 4: an 800 x 400 frame, 100 pixels a unit; x origin 31, y origin 419.
  const std::vector<std::string> want = {
      "ForeColor #006400", "CurrentX 29",    "CurrentY 424",    "Print \"-1.5\"", "CurrentX 815",
      "CurrentY 424",      "Print \" 6.5\"", "CurrentX 4",      "CurrentY 14",    "Print \" 7.25\"",
      "CurrentX 4",        "CurrentY 407",   "Print \" 3.25\"",
  };
  const std::vector<std::string> calls = Drawn(env.picture);
  ASSERT_GE(calls.size(), want.size());
  EXPECT_EQ(
      std::vector<std::string>(calls.end() - static_cast<std::ptrdiff_t>(want.size()), calls.end()),
      want);
}

TEST(ContourCalc, SingleRowOrColumnMeshEndsInError6AfterTheFrame) {
  FakeEnvironment env;
  MakeMesh(env, {0, 10, 20}, {5}, {{1, 2, 3}});
  BuildTriangleList(env.model);
  EXPECT_EQ(ErrorNumberOf([&] { Draw(env); }), err::kOverflow);
  EXPECT_EQ(Drawn(env.picture),
            (std::vector<std::string>{"DrawWidth 1", "ScaleMode 3", "Cls",
                                      "Box 30 20 830 20 #f0f000", "FontSize 11"}));
  FakeEnvironment column;
  MakeMesh(column, {4}, {10, 5, 0}, {{1}, {2}, {3}});
  BuildTriangleList(column.model);
  EXPECT_EQ(ErrorNumberOf([&] { Draw(column); }), err::kOverflow);
}

// --- The level loop against a slow reference --------------------------------------------------

bool SameBits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool SameSegment(const SegmentRecord& a, const SegmentRecord& b) {
  return SameBits(a.Y1, b.Y1) && SameBits(a.X1, b.X1) && SameBits(a.Y2, b.Y2) &&
         SameBits(a.X2, b.X2) && a.State == b.State;
}

std::string Describe(const SegmentRecord& s) {
  return "(" + std::to_string(s.Y1) + ", " + std::to_string(s.X1) + ") - (" + std::to_string(s.Y2) +
         ", " + std::to_string(s.X2) + ") " + std::to_string(s.State);
}

// Straight from the rules: whether the corners of the triangle's cell side are strict extrema.
int ReferenceExtrema(const MeshModel& m, const TriangleRecord& t) {
  double n[4][4];
  double a[3][3];
  for (int r = 0; r < 4; ++r) {
    for (int q = 0; q < 4; ++q)
      n[r][q] = m.NodeValue(t.CellRow - 1 + r, t.CellCol - 1 + q);
  }
  for (int r = 0; r < 3; ++r) {
    for (int q = 0; q < 3; ++q) {
      a[r][q] = (n[r][q] + n[r][q + 1] + n[r + 1][q] + n[r + 1][q + 1]) / 4;
    }
  }
  // Border rows and columns, nodes and means, count as 0.
  const bool top = t.CellRow == 1, bottom = t.CellRow + 2 >= m.NodeCountY;
  const bool left = t.CellCol == 1, right = t.CellCol + 2 >= m.NodeCountX;
  for (int r = 0; r < 4; ++r) {
    for (int q = 0; q < 4; ++q) {
      if ((top && r == 0) || (bottom && r == 3) || (left && q == 0) || (right && q == 3))
        n[r][q] = 0;
      if (r < 3 && q < 3 &&
          ((top && r == 0) || (bottom && r == 2) || (left && q == 0) || (right && q == 2)))
        a[r][q] = 0;
    }
  }
  if (t.Side < 1 || t.Side > 4)
    return 0;
  const int corner[5][2][2] = {
      {{0, 0}, {0, 0}}, {{1, 1}, {2, 1}}, {{1, 1}, {1, 2}}, {{1, 2}, {2, 2}}, {{2, 2}, {2, 1}}};
  int result = 0;
  for (int k = 0; k < 2; ++k) {
    const int r = corner[t.Side][k][0], q = corner[t.Side][k][1];
    const int orow = corner[t.Side][1 - k][0], ocol = corner[t.Side][1 - k][1];
    std::vector<double> set = {a[r - 1][q - 1], a[r - 1][q], a[r][q - 1], a[r][q]};
    const int around[4][2] = {{r - 1, q}, {r + 1, q}, {r, q - 1}, {r, q + 1}};
    for (const auto& p : around) {
      if (!(p[0] == orow && p[1] == ocol))
        set.push_back(n[p[0]][p[1]]);
    }
    const double z = t.Z[static_cast<std::size_t>(k + 1)];
    bool above = true, below = true;
    for (const double v : set) {
      above = above && z > v;
      below = below && z < v;
    }
    result += (above ? 1 : 0) + (below ? 1 : 0);
  }
  return result;
}

struct ReferenceLevel {
  std::int64_t level;
  std::vector<SegmentRecord> segments;
};

// The whole level loop done the slow way: every level from the first to the top, every
// triangle of the list at every level, the pairwise flat pass. `triangles` (1-based, entry 0
// unused) has its Flags updated as the loop goes.
std::vector<ReferenceLevel> ReferenceLoop(const MeshModel& m,
                                          std::vector<TriangleRecord>& triangles,
                                          std::int64_t interval, int divided) {
  // Data range over valued nodes, and the levels.
  bool any = false;
  double lo = 0, hi = 0;
  for (int i = 1; i <= m.NodeCountY; ++i) {
    for (int j = 1; j <= m.NodeCountX; ++j) {
      if (m.NodeBlank(i, j) != 0)
        continue;
      const double v = m.NodeValue(i, j);
      if (!any) {
        lo = hi = v;
        any = true;
      }
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  }
  std::int64_t first = static_cast<std::int64_t>(std::floor(lo)) + 1;
  const std::int64_t top = static_cast<std::int64_t>(std::floor(hi));
  if (interval > 1) {
    first = (static_cast<std::int64_t>(std::floor(static_cast<double>(first) / interval)) + 1) *
            interval;
  }
  // Pixels.
  const double x_scale = static_cast<double>(m.FrameWidth) / m.RangeX;
  const double y_scale = static_cast<double>(m.FrameHeight) / m.RangeY;
  const double x_origin = m.FrameLeft + 1;
  const double y_origin = m.FrameTop + m.FrameHeight - 1;
  const auto px = [&](double x) { return (x - m.NodeX(1)) * x_scale + x_origin; };
  const auto py = [&](double y) { return y_origin - (y - m.NodeY(m.NodeCountY)) * y_scale; };

  std::vector<ReferenceLevel> out;
  if (interval == 0)
    return out;
  for (std::int64_t level = first; interval > 0 ? level <= top : level >= top; level += interval) {
    const double L = static_cast<double>(level);
    std::vector<SegmentRecord> segments;
    std::vector<TriangleRecord> flats;
    const auto add = [&](double y1, double x1, double y2, double x2) {
      segments.push_back({py(y1), px(x1), py(y2), px(x2), kSegmentDrawn});
    };
    for (std::size_t ti = 1; ti < triangles.size(); ++ti) {
      TriangleRecord& t = triangles[ti];
      int j = 0, k = 0;
      double cy[5] = {}, cx[5] = {}, oy[9] = {}, ox[9] = {};
      const int edge[3][6] = {{1, 2, 2, 1, 1, 2}, {2, 3, 3, 2, 2, 3}, {1, 3, 1, 3, 3, 1}};
      for (const auto& e : edge) {
        const double p = (t.Z[e[0]] - L) * (t.Z[e[1]] - L);
        if (p < 0) {
          ++j;
          const int b = e[2], o = e[3];
          cy[j] = (t.Y[o] - t.Y[b]) * (L - t.Z[b]) / (t.Z[o] - t.Z[b]) + t.Y[b];
          cx[j] = (t.X[o] - t.X[b]) * (L - t.Z[b]) / (t.Z[o] - t.Z[b]) + t.X[b];
        } else if (p == 0) {
          for (const int v : {e[4], e[5]}) {
            if (t.Z[v] == L) {
              ++k;
              oy[k] = t.Y[v];
              ox[k] = t.X[v];
            }
          }
        }
      }
      if (j == 2 && k == 0) {
        add(cy[1], cx[1], cy[2], cx[2]);
      } else if (j == 1 && k == 2) {
        add(cy[1], cx[1], oy[1], ox[1]);
      } else if (j == 0 && k == 6) {
        add(t.Y[1], t.X[1], t.Y[2], t.X[2]);
        add(t.Y[2], t.X[2], t.Y[3], t.X[3]);
        add(t.Y[1], t.X[1], t.Y[3], t.X[3]);
        TriangleRecord f;
        for (std::size_t v = 1; v <= 3; ++v) {
          f.Y[v] = py(t.Y[v]);
          f.X[v] = px(t.X[v]);
        }
        flats.push_back(f);
      } else if (j == 0 && k == 4) {
        int a = 2, b = 3, noted = 2;
        if (t.Z[1] == t.Z[2]) {
          a = 1;
          b = 2;
          noted = 1;
        } else if (t.Z[1] == t.Z[3]) {
          a = 1;
          b = 3;
          noted = 1;
        }
        if (divided == 0) {
          t.Flags[static_cast<std::size_t>(a)] = 1;
          t.Flags[static_cast<std::size_t>(b)] = 1;
        }
        add(t.Y[a], t.X[a], t.Y[b], t.X[b]);
        if (divided != 0) {
          if (t.Flags[static_cast<std::size_t>(noted)] == -1)
            segments.pop_back();
        } else if (ReferenceExtrema(m, t) >= 1) {
          segments.pop_back();
          for (std::size_t v = 1; v <= 3; ++v)
            t.Flags[v] = -t.Flags[v];
        }
      }
    }
    // Flat pass: every pair, entry at the first match, out again after a single match.
    std::vector<TriangleRecord> edges;
    for (std::size_t p1 = 0; p1 < flats.size(); ++p1) {
      for (std::size_t p2 = p1 + 1; p2 < flats.size(); ++p2) {
        int count = 0;
        for (std::size_t l = 1; l <= 3; ++l) {
          for (std::size_t p = 1; p <= 3; ++p) {
            if (flats[p1].Y[p] == flats[p2].Y[l] && flats[p1].X[p] == flats[p2].X[l]) {
              if (++count == 1)
                edges.emplace_back();
              if (count <= 3) {
                edges.back().Y[static_cast<std::size_t>(count)] = flats[p1].Y[p];
                edges.back().X[static_cast<std::size_t>(count)] = flats[p1].X[p];
              }
            }
          }
        }
        if (count == 1)
          edges.pop_back();
      }
    }
    for (const TriangleRecord& e : edges) {
      for (SegmentRecord& s : segments) {
        if ((s.Y1 == e.Y[1] && s.X1 == e.X[1] && s.Y2 == e.Y[2] && s.X2 == e.X[2]) ||
            (s.Y1 == e.Y[2] && s.X1 == e.X[2] && s.Y2 == e.Y[1] && s.X2 == e.X[1])) {
          s.State = kSegmentSuppressed;
        }
      }
    }
    out.push_back({level, std::move(segments)});
  }
  return out;
}

TEST(ContourCalc, LevelLoopMatchesTheSlowReferenceOnRandomMeshes) {
  std::mt19937 rng(77031);
  const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  int levels_compared = 0, edges_dropped = 0, suppressed_seen = 0;
  for (int round = 0; round < 300; ++round) {
    FakeEnvironment env;
    const int nx = 2 + pick(6);
    const int ny = 2 + pick(6);
    std::vector<double> xs, ys;
    double x = -3.5 + pick(8) * 0.75;
    for (int j = 0; j < nx; ++j) {
      xs.push_back(x);
      x += std::vector<double>{0.5, 1.25, 2, 3.75, 0.1}[static_cast<std::size_t>(pick(5))];
    }
    double y = 40.2 + pick(5);
    for (int i = 0; i < ny; ++i) {
      ys.push_back(y);
      y -= std::vector<double>{0.5, 1.3, 2, 0.7}[static_cast<std::size_t>(pick(4))];
    }
    // Whole and half values in a narrow band, so that many vertices and centres lie on levels,
    // with a few plateaus; now and then a wider spread.
    const bool halves = round % 2 == 1;
    const int spread = round % 7 == 0 ? 40 : 6;
    std::vector<std::vector<double>> values(static_cast<std::size_t>(ny));
    for (auto& row : values) {
      for (int j = 0; j < nx; ++j) {
        const int v = pick(halves ? 2 * spread : spread) - 2;
        row.push_back(halves ? v / 2.0 : v);
      }
    }
    if (pick(3) == 0) {  // a plateau block
      const int r0 = pick(ny), c0 = pick(nx), level = pick(4);
      for (int i = r0; i < std::min(ny, r0 + 3); ++i) {
        for (int j = c0; j < std::min(nx, c0 + 3); ++j) {
          values[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] = level;
        }
      }
    }
    MakeMesh(env, xs, ys, values);
    MeshModel& m = env.model;
    if (round % 3 != 0) {  // blank nodes hold 0, as imported
      const int blanks = pick(1 + nx * ny / 4);
      for (int b = 0; b < blanks; ++b) {
        const int i = 1 + pick(ny), j = 1 + pick(nx);
        m.NodeBlank(i, j) = 1;
        m.NodeValue(i, j) = 0;
      }
    }
    BuildTriangleList(m);
    const int divided = round % 5 == 4 ? 1 : 0;
    env.window.DividedMesh = divided;
    if (divided != 0) {  // the division leaves its own flags in the list
      for (int t = 1; t <= m.TriangleCount; ++t) {
        for (std::size_t v = 1; v <= 3; ++v)
          m.Triangles(t).Flags[v] = pick(3) - 1;
      }
    }
    const int interval = std::vector<int>{1, 1, 1, 2, 3, -1}[static_cast<std::size_t>(pick(6))];
    env.panel.Text1 = std::to_string(interval);

    std::vector<TriangleRecord> reference_triangles(1);
    for (int t = 1; t <= m.TriangleCount; ++t)
      reference_triangles.push_back(m.Triangles(t));
    const std::vector<ReferenceLevel> want =
        ReferenceLoop(m, reference_triangles, interval, divided);

    LevelLog log;
    ASSERT_EQ(Draw(env, &log), ContourOutcome::Drawn) << "round " << round;

    // Every level the loop reported is a reference level, in order; the levels it skipped
    // have nothing in the reference either.
    std::size_t got = 0;
    std::int64_t drawn = 0;
    for (const ReferenceLevel& level : want) {
      for (const SegmentRecord& s : level.segments) {
        drawn += s.State == kSegmentDrawn ? 1 : 0;
        suppressed_seen += s.State == kSegmentSuppressed ? 1 : 0;
      }
      if (got < log.levels.size() && log.levels[got].first == level.level) {
        const std::vector<SegmentRecord>& segments = log.levels[got].second;
        ASSERT_EQ(segments.size(), level.segments.size())
            << "round " << round << " level " << level.level;
        for (std::size_t s = 0; s < segments.size(); ++s) {
          ASSERT_TRUE(SameSegment(segments[s], level.segments[s]))
              << "round " << round << " level " << level.level << " segment " << s + 1 << ": "
              << Describe(segments[s]) << " vs " << Describe(level.segments[s]);
        }
        ++got;
        ++levels_compared;
      } else {
        ASSERT_TRUE(level.segments.empty())
            << "round " << round << " level " << level.level << " skipped but has "
            << level.segments.size() << " segments";
      }
    }
    ASSERT_EQ(got, log.levels.size()) << "round " << round << ": a level outside the series";

    for (int t = 1; t <= m.TriangleCount; ++t) {
      ASSERT_EQ(m.Triangles(t).Flags, reference_triangles[static_cast<std::size_t>(t)].Flags)
          << "round " << round << " triangle " << t;
      const auto& flags = m.Triangles(t).Flags;
      edges_dropped += divided == 0 && std::count(flags.begin(), flags.end(), -1) != 0 ? 1 : 0;
    }
    // Every drawn segment became one blue or red line.
    const std::vector<std::string> calls = Drawn(env.picture);
    const auto lines = std::count_if(calls.begin(), calls.end(), [](const std::string& c) {
      return c.rfind("Line ", 0) == 0 &&
             (c.find("#0000ff") != std::string::npos || c.find("#ff0000") != std::string::npos);
    });
    EXPECT_EQ(lines, drawn) << "round " << round;
  }
  // The random meshes must have reached the cases that matter.
  EXPECT_GT(levels_compared, 1000);
  EXPECT_GT(edges_dropped, 20);
  EXPECT_GT(suppressed_seen, 50);
}

}  // namespace
}  // namespace ombrix
