#include "view/colour_index.h"

#include <gtest/gtest.h>

#include "contour/colour_scale.h"
#include "fakes/fake_context.h"
#include "model/modes.h"

namespace ombrix {
namespace {

class ColourIndex : public ::testing::Test {
 protected:
  void Absolute(std::initializer_list<const char*> answers) {
    for (const char* answer : answers) {
      env.dialogs.input_answers.push_back(answer);
    }
    CommandContext ctx = env.Context();
    AbsoluteColorIndex_Click(ctx);
    EXPECT_TRUE(env.dialogs.input_answers.empty()) << "answers left unasked";
  }
  void Relative() {
    CommandContext ctx = env.Context();
    RelativeColorIndex_Click(ctx);
  }
  std::int32_t Mode() const { return env.model.ColorIndexMode; }
  double Min() const { return env.window.AbsoluteMin; }
  double Max() const { return env.window.AbsoluteMax; }

  testing::FakeEnvironment env;
};

TEST_F(ColourIndex, TwoOrderedAnswersMakeTheIndexAbsolute) {
  EXPECT_EQ(Mode(), kRelativeColorIndex);
  Absolute({"-5", "20"});
  EXPECT_EQ(Min(), -5);
  EXPECT_EQ(Max(), 20);
  EXPECT_EQ(Mode(), kAbsoluteColorIndex);
  EXPECT_EQ(env.dialogs.input_boxes,
            (std::vector<std::string>{"カラーインデックス設定|最小値を入力して下さい|",
                                      "カラーインデックス設定|最大値を入力して下さい|"}));
  EXPECT_TRUE(env.dialogs.messages.empty());
  EXPECT_TRUE(env.picture.calls.empty());  // nothing is redrawn
}

TEST_F(ColourIndex, AnswersAreReadByTheirLeadingNumberAndTextCountsAsZero) {
  const struct {
    const char* min;
    const char* max;
    double want_min, want_max;
  } cases[] = {{"1.5e2", "300", 150, 300}, {"  -2.5 metres", "1E1x", -2.5, 10}, {"abc", "5", 0, 5}};
  for (const auto& c : cases) {
    Absolute({c.min, c.max});
    EXPECT_EQ(Min(), c.want_min) << c.min;
    EXPECT_EQ(Max(), c.want_max) << c.max;
    EXPECT_EQ(Mode(), kAbsoluteColorIndex);
  }
  EXPECT_TRUE(env.dialogs.messages.empty());
}

TEST_F(ColourIndex, EqualBoundsAreRefusedWithAWarning) {
  Absolute({"10", "10"});
  ASSERT_EQ(env.dialogs.messages.size(), 1u);
  EXPECT_EQ(env.dialogs.messages[0].text, "値の大小がおかしい");
  EXPECT_EQ(env.dialogs.messages[0].title, "ombrix");
  EXPECT_EQ(env.dialogs.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(Mode(), kRelativeColorIndex);
  // Reversed after an absolute index: the bounds are dropped, the mode stays.
  Absolute({"-5", "20"});
  Absolute({"20", "-5"});
  EXPECT_EQ(env.dialogs.messages.size(), 2u);
  EXPECT_EQ(Mode(), kAbsoluteColorIndex);
  EXPECT_EQ(Min(), 0);
  EXPECT_EQ(Max(), 0);
}

TEST_F(ColourIndex, CancelOnTheFirstBoxChangesNothingOnTheSecondDropsTheBounds) {
  Absolute({""});
  EXPECT_EQ(env.dialogs.input_boxes.size(), 1u);
  EXPECT_EQ(Mode(), kRelativeColorIndex);
  Absolute({"-5", "20"});
  Absolute({"3", ""});
  EXPECT_EQ(env.dialogs.input_boxes.size(), 5u);
  EXPECT_TRUE(env.dialogs.messages.empty());
  EXPECT_EQ(Mode(), kAbsoluteColorIndex);
  EXPECT_EQ(Min(), 0);
  EXPECT_EQ(Max(), 0);
}

TEST_F(ColourIndex, TheAbsoluteBoundsSetTheNextScale) {
  Absolute({"0.5", "99.4"});
  env.model.DataMin = 3.2;
  env.model.DataMax = 17.9;
  SetColor(env.model, env.window);
  EXPECT_EQ(env.window.ColorLevel(0), 99);
  EXPECT_EQ(env.window.ColorLevel(16), 1);
  Absolute({""});  // a cancelled input leaves the absolute mode with bounds 0 and 0
  SetColor(env.model, env.window);
  EXPECT_EQ(env.window.ColorLevel(0), 0);
  EXPECT_EQ(env.window.ColorLevel(16), 0);
}

TEST_F(ColourIndex, ANumberTooLargeIsReportedAndChangesNothing) {
  Absolute({"-5", "20"});
  Absolute({"1e999"});
  EXPECT_EQ(env.dialogs.input_boxes.size(), 3u);  // the maximum is not asked
  ASSERT_EQ(env.dialogs.messages.size(), 1u);
  EXPECT_EQ(env.dialogs.messages[0].title, "エラー報告");
  EXPECT_EQ(env.dialogs.messages[0].text.rfind("エラー番号： 6　", 0), 0u);
  EXPECT_EQ(Mode(), kAbsoluteColorIndex);
  EXPECT_EQ(Min(), -5);
  EXPECT_EQ(Max(), 20);
}

TEST_F(ColourIndex, RelativeKeepsTheTypedBoundsAndAsksNothing) {
  Absolute({"-5", "20"});
  Relative();
  Relative();
  EXPECT_EQ(Mode(), kRelativeColorIndex);
  EXPECT_EQ(Min(), -5);
  EXPECT_EQ(Max(), 20);
  EXPECT_EQ(env.dialogs.input_boxes.size(), 2u);
  EXPECT_TRUE(env.dialogs.messages.empty());
}

}  // namespace
}  // namespace ombrix
