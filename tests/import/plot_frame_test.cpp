#include "import/plot_frame.h"

#include <gtest/gtest.h>

#include "fakes/error_capture.h"

#include "fakes/fake_context.h"
#include "model/run_error.h"

namespace ombrix {
namespace {

// A mesh of two columns and two rows spanning the given extent.
void MakeMesh(MeshModel& m, double x0, double x1, double y_top, double y_bottom,
              std::int32_t nx = 2, std::int32_t ny = 2) {
  AllocateMesh(m, nx, ny);
  m.NodeX(1) = x0;
  m.NodeX(nx) = x1;
  m.NodeY(1) = y_top;
  m.NodeY(ny) = y_bottom;
}

TEST(PlotFrame, LongerSideIs800WideOr600High) {
  testing::FakeEnvironment env;
  MakeMesh(env.model, 0, 2000, 1000, 0);
  CommandContext ctx = env.Context();
  SetPlotFrame(ctx);
  EXPECT_EQ(env.model.RangeX, 2000);
  EXPECT_EQ(env.model.RangeY, 1000);
  EXPECT_EQ(env.model.FrameWidth, 800);
  EXPECT_EQ(env.model.FrameHeight, 400);
  EXPECT_EQ(env.model.FrameLeft, 30);
  EXPECT_EQ(env.model.FrameTop, 20);

  MakeMesh(env.model, 0, 1000, 1500, 0);
  SetPlotFrame(ctx);
  EXPECT_EQ(env.model.FrameWidth, 400);
  EXPECT_EQ(env.model.FrameHeight, 600);

  MakeMesh(env.model, 5, 105, 100, 0);  // equal ranges
  SetPlotFrame(ctx);
  EXPECT_EQ(env.model.FrameWidth, 600);
  EXPECT_EQ(env.model.FrameHeight, 600);
}

TEST(PlotFrame, TheScaledSideRoundsHalvesToEven) {
  const PanelState panel;
  BoundedArray<double> x{"NodeX"}, y{"NodeY"};
  x.Allocate(0, 4);
  y.Allocate(0, 4);
  x(2) = 1600;
  for (const auto& [height, frame] : {std::pair{1.0, 0}, {3.0, 2}, {5.0, 2}, {7.0, 4}}) {
    y(1) = height;
    EXPECT_EQ(ComputePlotFrame(x, y, 2, 2, panel).FrameHeight, frame) << height;
  }
}

TEST(PlotFrame, SingleColumnMeshHasNoWidth) {
  testing::FakeEnvironment env;
  AllocateMesh(env.model, 1, 3);
  env.model.NodeX(1) = 50;
  env.model.NodeY(1) = 20;
  env.model.NodeY(3) = 0;
  CommandContext ctx = env.Context();
  SetPlotFrame(ctx);
  EXPECT_EQ(env.model.FrameHeight, 600);
  EXPECT_EQ(env.model.FrameWidth, 0);
}

TEST(PlotFrame, SizesTheDrawingAreaAndTheWindow) {
  testing::FakeEnvironment env;
  env.windows.geometry[WindowId::Main] = {300, 450, 1000, 1000};
  MakeMesh(env.model, 0, 1000, 1500, 0);  // 400 x 600
  CommandContext ctx = env.Context();
  SetPlotFrame(ctx);
  EXPECT_EQ(env.windows.area_width, 470);
  EXPECT_EQ(env.windows.area_height, 650);
  const WindowRect main = env.windows.geometry[WindowId::Main];
  EXPECT_EQ(main.width, 9972);  // (400 + 120) × 15 = 7800 is raised to the minimum
  EXPECT_EQ(main.height, (600 + 210) * 15);
  EXPECT_EQ(main.left, 300);
  EXPECT_EQ(main.top, 450);

  MakeMesh(env.model, 0, 2000, 1000, 0);  // 800 x 400
  SetPlotFrame(ctx);
  EXPECT_EQ(env.windows.geometry[WindowId::Main].width, (800 + 120) * 15);
  EXPECT_TRUE(env.windows.on_top[WindowId::Legend]);
  EXPECT_FALSE(env.windows.visible[WindowId::Legend]);  // kept on top, not shown
  EXPECT_EQ(env.windows.log.back(), "FocusMain");
}

TEST(PlotFrame, LineWidthRoundsAndGoesToScreenAndPrinter) {
  for (const auto& [text, width] : {std::pair{"1.5", "2"}, {"2.5", "2"}, {" 3 ", "3"}}) {
    testing::FakeEnvironment env;
    MakeMesh(env.model, 0, 10, 10, 0);
    env.panel.Text2 = text;
    CommandContext ctx = env.Context();
    SetPlotFrame(ctx);
    EXPECT_EQ(env.picture.calls.front(), std::string("DrawWidth ") + width) << text;
    EXPECT_EQ(env.printer.calls.front(), std::string("DrawWidth ") + width) << text;
  }
}

TEST(PlotFrame, LineWidthBelowOneOnlyShowsItsMessage) {
  testing::FakeEnvironment env;
  env.model.FrameWidth = 123;
  env.model.FrameHeight = 45;
  MakeMesh(env.model, 0, 2000, 1000, 0);
  env.panel.Text2 = "0";
  CommandContext ctx = env.Context();
  SetPlotFrame(ctx);
  ASSERT_EQ(env.dialogs.messages.size(), 1u);
  EXPECT_EQ(env.dialogs.messages[0].text, "コンターラインの幅は 1 以上です。");
  EXPECT_EQ(env.dialogs.messages[0].title, "エラー報告");
  EXPECT_EQ(env.model.FrameWidth, 123);
  EXPECT_EQ(env.model.FrameHeight, 45);
  EXPECT_EQ(env.model.RangeX, 2000);  // the ranges come first
  EXPECT_TRUE(env.windows.log.empty());
  EXPECT_TRUE(env.picture.calls.empty());
}

TEST(PlotFrame, BadPanelTextsAndDegenerateMeshesAreErrors) {
  const PanelState defaults;
  BoundedArray<double> x{"NodeX"}, y{"NodeY"};
  x.Allocate(0, 4);
  y.Allocate(0, 4);
  x(2) = 10;
  y(1) = 10;
  PanelState panel = defaults;
  panel.Text1 = "abc";
  EXPECT_EQ(ErrorNumberOf([&] { ComputePlotFrame(x, y, 2, 2, panel); }), err::kTypeMismatch);
  panel = defaults;
  panel.Text2 = "";
  EXPECT_EQ(ErrorNumberOf([&] { ComputePlotFrame(x, y, 2, 2, panel); }), err::kTypeMismatch);
  panel.Text2 = "40000";
  EXPECT_EQ(ErrorNumberOf([&] { ComputePlotFrame(x, y, 2, 2, panel); }), err::kOverflow);
  // Both ranges 0: 0 / 0.
  x(2) = 0;
  y(1) = 0;
  EXPECT_EQ(ErrorNumberOf([&] { ComputePlotFrame(x, y, 2, 2, defaults); }), err::kOverflow);
  // y running the wrong way: the larger range is 0 and the other is not.
  y(2) = 5;
  EXPECT_EQ(ErrorNumberOf([&] { ComputePlotFrame(x, y, 2, 2, defaults); }), err::kDivisionByZero);
}

}  // namespace
}  // namespace ombrix
