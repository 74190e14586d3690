#include "view/colour_index.h"

#include <gtest/gtest.h>

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

// The answers are read by their leading number; Relative then keeps the typed bounds.
TEST_F(ColourIndex, TwoOrderedAnswersMakeTheIndexAbsoluteAndRelativeKeepsThem) {
  EXPECT_EQ(Mode(), kRelativeColorIndex);
  Absolute({"  -0.5e1 metres", "2E1x"});
  EXPECT_EQ(Min(), -5);
  EXPECT_EQ(Max(), 20);
  EXPECT_EQ(Mode(), kAbsoluteColorIndex);
  EXPECT_EQ(env.dialogs.input_boxes,
            (std::vector<std::string>{"カラーインデックス設定|最小値を入力して下さい|",
                                      "カラーインデックス設定|最大値を入力して下さい|"}));
  EXPECT_TRUE(env.picture.calls.empty());  // nothing is redrawn
  Absolute({"abc", "5"});                  // a text that is no number counts as 0
  EXPECT_EQ(Min(), 0);
  EXPECT_EQ(Max(), 5);
  Relative();
  Relative();
  EXPECT_EQ(Mode(), kRelativeColorIndex);
  EXPECT_EQ(Min(), 0);
  EXPECT_EQ(Max(), 5);
  EXPECT_EQ(env.dialogs.input_boxes.size(), 4u);
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

// Cancelling either box drops the bounds and keeps the mode as it was.
TEST_F(ColourIndex, CancelOnEitherBoxDropsTheBounds) {
  Absolute({""});
  EXPECT_EQ(env.dialogs.input_boxes.size(), 1u);
  EXPECT_EQ(Mode(), kRelativeColorIndex);
  Absolute({"-5", "20"});
  Absolute({""});
  EXPECT_EQ(Mode(), kAbsoluteColorIndex);
  EXPECT_EQ(Min(), 0);
  EXPECT_EQ(Max(), 0);
  Absolute({"-5", "20"});
  Absolute({"3", ""});
  EXPECT_EQ(Mode(), kAbsoluteColorIndex);
  EXPECT_EQ(Min(), 0);
  EXPECT_EQ(Max(), 0);
  EXPECT_TRUE(env.dialogs.messages.empty());
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

}  // namespace
}  // namespace ombrix
