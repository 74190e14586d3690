#include "import/plot_frame.h"

#include <gtest/gtest.h>

#include "fakes/error_capture.h"

#include "fakes/fake_context.h"
#include "model/run_error.h"

namespace ombrix {
namespace {

// A mesh of two columns and two rows spanning the given extent.
void MakeMesh(MeshModel& m, double x0, double x1, double y_top, double y_bottom) {
  AllocateMesh(m, 2, 2);
  m.NodeX(1) = x0;
  m.NodeX(2) = x1;
  m.NodeY(1) = y_top;
  m.NodeY(2) = y_bottom;
}

// The frame ComputePlotFrame fits to a 2 x 2 mesh `width` wide and `height` high.
PlotFrameSetup FrameOf(double width, double height, const PanelState& panel = {}) {
  MeshModel m;
  MakeMesh(m, 0, width, height, 0);
  return ComputePlotFrame(m.NodeX, m.NodeY, 2, 2, panel);
}

TEST(PlotFrame, LongerSideIs800WideOr600HighAndTheOtherRoundsHalvesToEven) {
  struct Case {
    double width, height;
    std::int32_t frame_width, frame_height;
  };
  const Case cases[] = {{2000, 1000, 800, 400}, {1000, 1500, 400, 600}, {100, 100, 600, 600},
                        {1600, 1, 800, 0},      {1600, 3, 800, 2},      {1600, 5, 800, 2},
                        {1600, 7, 800, 4}};
  for (const Case& k : cases) {
    const PlotFrameSetup f = FrameOf(k.width, k.height);
    EXPECT_EQ(f.FrameWidth, k.frame_width) << k.width << " x " << k.height;
    EXPECT_EQ(f.FrameHeight, k.frame_height) << k.width << " x " << k.height;
  }
}

// The line width is read as ToLong reads it (2.5 to 2), and set on the screen and the printer.
TEST(PlotFrame, SizesTheDrawingAreaAndTheWindowAndSetsTheLineWidthOfAtLeastOne) {
  testing::FakeEnvironment env;
  env.windows.geometry[WindowId::Main] = {300, 450, 1000, 1000};
  MakeMesh(env.model, 0, 1000, 1500, 0);  // 400 x 600
  env.panel.Text2 = " 2.5 ";
  CommandContext ctx = env.Context();
  SetPlotFrame(ctx);
  EXPECT_EQ(env.picture.calls.front(), "DrawWidth 2");
  EXPECT_EQ(env.printer.calls.front(), "DrawWidth 2");
  const WindowRect main = env.windows.geometry[WindowId::Main];
  EXPECT_EQ(main.width, 9972);  // (400 + 120) × 15 = 7800 is raised to the minimum
  EXPECT_EQ(main.height, (600 + 210) * 15);
  MakeMesh(env.model, 0, 2000, 1000, 0);  // 800 x 400
  SetPlotFrame(ctx);
  EXPECT_EQ(env.windows.geometry[WindowId::Main].width, (800 + 120) * 15);
  EXPECT_TRUE(env.windows.on_top[WindowId::Legend]);
  EXPECT_FALSE(env.windows.visible[WindowId::Legend]);  // kept on top, not shown
  EXPECT_EQ(env.windows.log.back(), "FocusMain");

  MakeMesh(env.model, 0, 1000, 3000, 0);  // a width below 1 only shows its message
  ctx.panel.Text2 = "0";
  env.picture.calls.clear();
  SetPlotFrame(ctx);
  ASSERT_EQ(env.dialogs.messages.size(), 1u);
  EXPECT_EQ(env.dialogs.messages[0].text, "コンターラインの幅は 1 以上です。");
  EXPECT_EQ(env.dialogs.messages[0].title, "エラー報告");
  EXPECT_EQ(env.model.RangeY, 3000);  // the ranges come first
  EXPECT_TRUE(env.picture.calls.empty());
}

TEST(PlotFrame, BadPanelTextsAndDegenerateMeshesAreErrors) {
  PanelState panel;
  panel.Text1 = "abc";
  EXPECT_EQ(ErrorNumberOf([&] { FrameOf(10, 10, panel); }), err::kTypeMismatch);
  panel = PanelState{};
  panel.Text2 = "";
  EXPECT_EQ(ErrorNumberOf([&] { FrameOf(10, 10, panel); }), err::kTypeMismatch);
  panel.Text2 = "40000";
  EXPECT_EQ(ErrorNumberOf([&] { FrameOf(10, 10, panel); }), err::kOverflow);
  EXPECT_EQ(ErrorNumberOf([] { FrameOf(0, 0); }), err::kOverflow);  // both ranges 0: 0 / 0
  // y running the wrong way: the larger range is 0 and the other is not.
  EXPECT_EQ(ErrorNumberOf([] { FrameOf(0, -5); }), err::kDivisionByZero);
}

}  // namespace
}  // namespace ombrix
