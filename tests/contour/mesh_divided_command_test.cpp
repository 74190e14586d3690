#include "contour/mesh_divided_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "contour/contour_command.h"
#include "contour/mesh_division.h"
#include "contour_fixture.h"
#include "fakes/fake_context.h"
#include "model/messages.h"
#include "model/modes.h"

namespace ombrix {
namespace {

// A 3 x 2 mesh (8 triangles) drawn once by the contour command, as before any division.
class MeshDivided : public ::testing::Test {
 protected:
  void LoadAndDraw() {
    testing::MakeMesh(env, {0, 10, 20}, {10, 0}, {{1.5, 4.5, 2.5}, {3.5, 6.5, 0.5}});
    ResetTriangles(env.model);  // as loaded: no drawing has listed the triangles yet
    CommandContext ctx = Context();
    ContourLine_Click(ctx);
    ASSERT_EQ(env.model.TriangleCount, 8);
    env.picture.calls.clear();
    env.windows.log.clear();
  }
  CommandContext Context() {
    CommandContext ctx = env.Context();
    ctx.legend = &legend;
    return ctx;
  }
  void Divide(const std::string& answer) {
    env.dialogs.input_answers.push_back(answer);
    CommandContext ctx = Context();
    MeshDivided_Click(ctx);
  }
  std::vector<TriangleRecord> List() const { return testing::Listed(env.model); }

  testing::FakeEnvironment env;
  testing::RecordingSurface legend;
};

TEST_F(MeshDivided, AsksForTheCountThenDividesMarksAndRedrawsWithTheLegend) {
  env.panel.Option1 = false;  // Normal mode, which shows the legend as the contour command does
  env.panel.Option3 = true;
  LoadAndDraw();
  const std::vector<std::string> legend_after_contour = legend.calls;
  ASSERT_FALSE(legend_after_contour.empty());
  legend.calls.clear();
  env.windows.visible.clear();
  Divide("3");
  EXPECT_EQ(env.dialogs.input_boxes,
            (std::vector<std::string>{"メッシュ分割回数|メッシュの分割回数を入力して下さい。|2"}));
  EXPECT_TRUE(env.dialogs.messages.empty());
  EXPECT_EQ(env.model.TriangleCount, 128);
  EXPECT_EQ(env.window.DividedMesh, 1);
  // Redrawn from a cleared area, under the busy pointer that is then put back.
  EXPECT_NE(std::ranges::find(env.picture.calls, "Cls"), env.picture.calls.end());
  EXPECT_EQ(env.windows.pointer, MousePointer::Default);
  EXPECT_EQ(legend.calls, legend_after_contour);
  EXPECT_TRUE(env.windows.visible[WindowId::Legend]);
  EXPECT_TRUE(env.windows.on_top[WindowId::Legend]);
  EXPECT_EQ(env.windows.log.back(), "FocusMain");
}

TEST_F(MeshDivided, WrongAndTooLargeCountsAreExplainedAndChangeNothing) {
  LoadAndDraw();
  const std::vector<TriangleRecord> before = List();
  const std::string rule(msg::kDivisionCountRule);
  // An empty answer (Cancel included) cancels silently; a wrong one is explained, quoted; too
  // many triangles (8 * 4^12) are refused with their count, or their power when past any integer
  // type.
  std::vector<std::pair<std::string, std::string>> cases = {
      {"", ""}, {"  ", ""}, {"13", "134217728"}, {"4000000000", "3999999999"}};
  for (const char* wrong : {"abc", "0", "-2", "2.5", "3x", "1e400"})
    cases.emplace_back(wrong, rule);
  for (const auto& [answer, fragment] : cases) {
    env.dialogs.messages.clear();
    Divide(answer);
    ASSERT_EQ(env.dialogs.messages.size(), fragment.empty() ? 0u : 1u) << answer;
    if (!fragment.empty()) {
      const testing::ShownMessage& shown = env.dialogs.messages[0];
      EXPECT_EQ(shown.title, msg::kErrorReportTitle);
      EXPECT_NE(shown.text.find(fragment), std::string::npos) << shown.text;
      if (fragment == rule) {
        EXPECT_NE(shown.text.find("\"" + answer + "\""), std::string::npos) << shown.text;
      }
    }
    EXPECT_EQ(List(), before) << answer;
    EXPECT_EQ(env.window.DividedMesh, 0);
    EXPECT_TRUE(env.picture.calls.empty()) << answer;
  }
}

TEST_F(MeshDivided, EscWhileTheDividedListIsDrawnPutsTheListBack) {
  LoadAndDraw();
  const std::vector<TriangleRecord> before = List();
  // Esc in the first level of the drawing of the divided list.
  env.events.on_process = [&] {
    if (!env.windows.log.empty() && env.windows.log.back().starts_with("Status 等高線"))
      env.events.cancel = true;
  };
  Divide("2");
  EXPECT_EQ(List(), before);
  EXPECT_EQ(env.model.TriangleCount, 8);
  EXPECT_EQ(env.window.DividedMesh, 0);
  EXPECT_EQ(env.windows.log.back(), "Status メッシュ分割を中断しました。");
  EXPECT_TRUE(env.dialogs.messages.empty());
  env.events.on_process = nullptr;
  Divide("2");  // and the next division goes through
  EXPECT_EQ(env.model.TriangleCount, 32);
  EXPECT_TRUE(legend.calls.empty());  // Nothing mode leaves the legend window alone
}

TEST_F(MeshDivided, AFailedRedrawEndsInTheDrawingsReportAndTheProgramGoesOn) {
  LoadAndDraw();
  env.model.RangeX = 0;  // a zero range divides by zero while the map is drawn
  Divide("2");
  ASSERT_EQ(env.dialogs.messages.size(), 1u);
  EXPECT_NE(env.dialogs.messages[0].text.find(msg::kCommandAborted), std::string::npos)
      << env.dialogs.messages[0].text;
  EXPECT_EQ(env.model.TriangleCount, 32);
  EXPECT_EQ(env.windows.pointer, MousePointer::Default);
  EXPECT_TRUE(legend.calls.empty());
}

}  // namespace
}  // namespace ombrix
