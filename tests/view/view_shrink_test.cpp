#include "view/view_shrink.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fake_context.h"

namespace ombrix {
namespace {

// The main window before the command: 15 twips a pixel, 900 x 700 pixels at (100, 50).
constexpr WindowRect kMainBefore{1500, 750, 13500, 10500};

class ViewShrink : public ::testing::Test {
 protected:
  ViewShrink() { env.windows.geometry[WindowId::Main] = kMainBefore; }

  void Frame(std::int32_t width, std::int32_t height) {
    env.model.FrameWidth = width;
    env.model.FrameHeight = height;
    env.model.FrameLeft = 7;  // moved elsewhere, to see the command put it back
    env.model.FrameTop = 9;
  }
  void Shrink(const std::string& text3) {
    env.panel.Text3 = text3;
    CommandContext ctx = env.Context();
    Command1_Click(ctx);
  }
  WindowRect Main() const { return env.windows.Geometry(WindowId::Main); }

  testing::FakeEnvironment env;
};

TEST_F(ViewShrink, TwoThirdsOfAn800By600FrameAndAWindowOfExactlyTheMinimumWidth) {
  Frame(800, 600);
  Shrink("2/3");
  EXPECT_EQ(env.model.FrameLeft, 30);
  EXPECT_EQ(env.model.FrameTop, 20);
  // The scale is set from the frame as stored: 533 x 400.
  EXPECT_EQ(env.picture.calls, std::vector<std::string>{"Scale 0 0 533 400"});
  // 673 pixels is narrower than the 832-pixel minimum: the width is raised to it.
  EXPECT_EQ(Main(), (WindowRect{1500, 750, 832 * 15, 660 * 15}));
  EXPECT_EQ(env.windows.log, (std::vector<std::string>{"DrawingArea 603x450", "SetGeometry Main",
                                                       "SetGeometry Main"}));
  Shrink(" 2 / 3 ");  // repeated shrinks compound; blanks around the numbers are read
  EXPECT_EQ(env.model.FrameWidth, 355);
  EXPECT_EQ(env.model.FrameHeight, 267);
  env.windows.log.clear();
  Frame(1384, 600);
  Shrink("0.5");  // 692 + 140 = 832 pixels: exactly the minimum, not set twice
  EXPECT_EQ(Main().width, 832 * 15);
  EXPECT_EQ(std::count(env.windows.log.begin(), env.windows.log.end(), "SetGeometry Main"), 1);
}

TEST_F(ViewShrink, MinimumIsCheckedAgainstTheWidthThePlatformGave) {
  // A window manager that keeps the window at least 1000 pixels wide.
  class WideWindows : public testing::FakeWindowOps {
   public:
    void SetGeometry(WindowId window, const WindowRect& rect) override {
      WindowRect kept = rect;
      kept.width = std::max(kept.width, 15000.0);
      FakeWindowOps::SetGeometry(window, kept);
    }
  } windows;
  windows.geometry[WindowId::Main] = kMainBefore;
  Frame(800, 600);
  env.panel.Text3 = "2/3";
  const CommandContext ctx = env.Context();
  CommandContext wide{ctx.model,   ctx.window, ctx.panel,  ctx.picture,  ctx.printer,
                      ctx.dialogs, windows,    ctx.events, ctx.workbooks};
  Command1_Click(wide);
  EXPECT_EQ(windows.Geometry(WindowId::Main).width, 15000);
  EXPECT_EQ(windows.log, (std::vector<std::string>{"DrawingArea 603x450", "SetGeometry Main"}));
}

TEST(ShrinkFactor, IsReadAndDividedInSinglePrecisionAndProductsRoundHalfToEven) {
  EXPECT_EQ(ParseShrinkFactor("2/3").value, 2.0f / 3.0f);
  EXPECT_EQ(ParseShrinkFactor("-1.5e-1").value, -0.15f);
  // Just above a midpoint of singles: through a double it would round down to 1.
  EXPECT_EQ(ParseShrinkFactor("1.000000059604644775390625000001").value, 1.0000001192092896f);
  // 0.1 in single is a little above 0.1: 805 x 0.1 gives 80.500001, not 80.5.
  EXPECT_EQ(ShrinkFrame("0.1", 805, 600).FrameWidth, 81);
  EXPECT_EQ(ShrinkFrame("0.5", 805, 600).FrameWidth, 402);  // 402.5
  EXPECT_EQ(ShrinkFrame("0.5", 803, 600).FrameWidth, 402);  // 401.5
}

TEST_F(ViewShrink, WithoutAFrameOrWithAnUnusableFactorAMessageShowsAndNothingChanges) {
  Shrink("2/3");  // no mesh has set a frame yet
  ASSERT_EQ(env.dialogs.messages.size(), 1u);
  EXPECT_EQ(env.dialogs.messages[0].text, "データがありません。ファイルを読み込んで下さい。");
  const struct {
    const char* text3;
    const char* says;
  } cases[] = {
      {"abc", "縮小率 \"abc\" は数値として読めません。\r縮小率は「2/3」や「0.5」のように"},
      {"", "縮小率 \"\" は数値として読めません。"},
      {"1/3/4", "縮小率 \"1/3/4\" は数値として読めません。"},
      {"1e40", "縮小率 \"1e40\" は数値として読めません。"},
      {"2/0", "縮小率 \"2/0\": 縮小率の分母が 0 です。"},
      {"0", "縮小率 \"0\" では枠が 0 × 0 ピクセルになります。\r枠の幅と高さは 1 ピクセル以上"},
      {"-1/2", "縮小率 \"-1/2\" では枠が -400 × -300 ピクセルになります。"},
      {"26", "縮小率 \"26\" では枠が 20800 × 15600 ピクセルになります。"},
      {"1e30/1e-30", "縮小率 \"1e30/1e-30\" では枠が inf × inf ピクセルになります。"},
  };
  Frame(800, 600);
  for (const auto& c : cases) {  // refused, so each case starts where the first did
    env.dialogs.messages.clear();
    Shrink(c.text3);
    EXPECT_EQ(env.model.FrameWidth, 800) << c.text3;
    ASSERT_EQ(env.dialogs.messages.size(), 1u) << c.text3;
    EXPECT_EQ(env.dialogs.messages[0].title, "エラー報告");
    EXPECT_EQ(env.dialogs.messages[0].text.rfind(c.says, 0), 0u)
        << c.text3 << ": " << env.dialogs.messages[0].text;
  }
  EXPECT_TRUE(env.picture.calls.empty());
  EXPECT_TRUE(env.windows.log.empty());
  EXPECT_EQ(Main(), kMainBefore);
}

}  // namespace
}  // namespace ombrix
