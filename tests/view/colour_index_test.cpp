#include "view/colour_index.h"

#include <gtest/gtest.h>

#include <tuple>

#include "fakes/fake_context.h"
#include "model/modes.h"

namespace ombrix {
namespace {

// The mode, the minimum and the maximum.
using IndexState = std::tuple<std::int32_t, double, double>;

class ColourIndex : public ::testing::Test {
 protected:
  void Absolute(const std::vector<const char*>& answers) {
    env.dialogs.input_answers.assign(answers.begin(), answers.end());
    CommandContext ctx = env.Context();
    AbsoluteColorIndex_Click(ctx);
    EXPECT_TRUE(env.dialogs.input_answers.empty()) << "answers left unasked";
  }
  IndexState State() const {
    return {env.model.ColorIndexMode, env.window.AbsoluteMin, env.window.AbsoluteMax};
  }

  testing::FakeEnvironment env;
};

// Answers are read by their leading number; one too large for a double is refused.
TEST_F(ColourIndex, TwoOrderedAnswersMakeTheIndexAbsoluteAndRelativeKeepsThem) {
  EXPECT_EQ(env.model.ColorIndexMode, kRelativeColorIndex);
  Absolute({"  -0.5e1 metres", "2E1x"});
  EXPECT_EQ(State(), (IndexState{kAbsoluteColorIndex, -5, 20}));
  EXPECT_EQ(env.dialogs.input_boxes,
            (std::vector<std::string>{"カラーインデックス設定|最小値を入力して下さい|",
                                      "カラーインデックス設定|最大値を入力して下さい|"}));
  Absolute({"abc", "5"});  // a text that is no number counts as 0
  CommandContext ctx = env.Context();
  RelativeColorIndex_Click(ctx);
  RelativeColorIndex_Click(ctx);
  EXPECT_EQ(State(), (IndexState{kRelativeColorIndex, 0, 5}));
  Absolute({"1e999"});  // too large: reported, the maximum not asked, nothing changed
  EXPECT_EQ(env.dialogs.input_boxes.size(), 5u);
  ASSERT_EQ(env.dialogs.messages.size(), 1u);
  EXPECT_EQ(env.dialogs.messages[0].text.rfind("エラー番号： 6　", 0), 0u);
  EXPECT_EQ(State(), (IndexState{kRelativeColorIndex, 0, 5}));
}

// A refusal warns, a cancel is silent; both drop the bounds and keep the mode as it was.
TEST_F(ColourIndex, EqualReversedOrCancelledBoundsAreDropped) {
  Absolute({"10", "10"});
  ASSERT_EQ(env.dialogs.messages.size(), 1u);
  EXPECT_EQ(env.dialogs.messages[0].text, "値の大小がおかしい");
  EXPECT_EQ(env.dialogs.messages[0].title, "ombrix");
  EXPECT_EQ(env.dialogs.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(env.model.ColorIndexMode, kRelativeColorIndex);
  for (const auto& refused : {std::vector<const char*>{"20", "-5"}, {""}, {"3", ""}}) {
    Absolute({"-5", "20"});
    Absolute(refused);
    EXPECT_EQ(State(), (IndexState{kAbsoluteColorIndex, 0, 0})) << refused.size();
  }
  EXPECT_EQ(env.dialogs.messages.size(), 2u);  // the reversed pair
}

}  // namespace
}  // namespace ombrix
