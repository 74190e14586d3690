#include "view/map_keys.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>

#include "fakes/fake_context.h"
#include "view/background_map.h"

namespace ombrix {
namespace {

class MapKeys : public ::testing::Test {
 protected:
  MapKeys() {
    env.model.FrameLeft = 30;
    env.model.FrameTop = 20;
    env.model.FrameWidth = 800;
    env.model.FrameHeight = 400;
    env.pictures.files["/maps/site.gif"] = testing::SolidPicture(100, 50, 0x336699);
  }
  void LoadTheMap() {
    CommandContext ctx = env.Context();
    LoadMap(ctx, "/maps/site.gif");  // 100 x 50 pixels
    env.picture.calls.clear();
  }
  bool Press(std::int16_t key, std::int16_t shift, int times = 1) {
    CommandContext ctx = env.Context();
    bool taken = false;
    for (int i = 0; i < times; ++i)
      taken = Form_KeyDown(ctx, key, shift);
    return taken;
  }
  using Placement = std::array<std::int32_t, 4>;  // left, top, width, height
  Placement Now() const {
    return {env.model.MapLeft, env.model.MapTop, env.model.MapWidth, env.model.MapHeight};
  }

  testing::FakeEnvironment env;
};

TEST_F(MapKeys, ShiftArrowsMoveByFiveCtrlArrowsResizeByFiftyOtherKeysOnlyRepaint) {
  LoadTheMap();
  EXPECT_TRUE(Press(kKeyUp, kShiftMask, 5));
  Press(kKeyDown, kShiftMask);
  Press(kKeyLeft, kShiftMask, 7);
  Press(kKeyRight, kShiftMask);
  EXPECT_EQ(Now(), (Placement{0, 0, 100, 50}));
  EXPECT_TRUE(Press(kKeyRight, kCtrlMask, 6));
  Press(kKeyLeft, kCtrlMask, 1);
  Press(kKeyDown, kCtrlMask, 4);
  Press(kKeyUp, kCtrlMask);
  EXPECT_EQ(Now(), (Placement{0, 0, 350, 200}));
  for (const int key : {16, 65, 36}) {  // Shift, A, Home: repainted, the map unchanged
    for (const std::int16_t shift : {kShiftMask, kCtrlMask}) {
      env.picture.calls.clear();
      EXPECT_TRUE(Press(static_cast<std::int16_t>(key), shift));
      EXPECT_EQ(Now(), (Placement{0, 0, 350, 200}));
      EXPECT_EQ(env.picture.calls.size(), 5u);
      EXPECT_EQ(env.picture.calls[1], "Cls");
    }
  }
}

// Without a map (a failed load leaves none: the map tests), or with other modifiers or none.
TEST_F(MapKeys, KeysDoNothingWithoutAMapOrWithOtherModifiers) {
  EXPECT_FALSE(Press(kKeyUp, kShiftMask));
  EXPECT_FALSE(Press(kKeyLeft, kCtrlMask));
  LoadTheMap();
  const Placement before = Now();
  for (const int shift : {0, 4, 1 | 2, 1 | 4, 2 | 4, 7}) {  // none, Alt, and mixtures
    EXPECT_FALSE(Press(kKeyUp, static_cast<std::int16_t>(shift)));
    EXPECT_FALSE(Press(kKeyLeft, static_cast<std::int16_t>(shift)));
  }
  EXPECT_EQ(Now(), before);
  EXPECT_TRUE(env.picture.calls.empty());
}

TEST_F(MapKeys, SizesStopAtZeroAndMovesAtTheEndsOfTheRange) {
  LoadTheMap();
  Press(kKeyUp, kCtrlMask, 30);
  Press(kKeyLeft, kCtrlMask, 3);
  EXPECT_EQ(Now(), (Placement{30, 20, 0, 0}));
  Press(kKeyDown, kCtrlMask);
  EXPECT_EQ(env.picture.calls[env.picture.calls.size() - 3],
            "PaintPicture 100x50 30 20 0 50 0 0 100 50 copy");

  env.model.MapLeft = std::numeric_limits<std::int32_t>::max() - 2;
  EXPECT_TRUE(Press(kKeyRight, kShiftMask));
  EXPECT_EQ(env.model.MapLeft, std::numeric_limits<std::int32_t>::max() - 2);
}

}  // namespace
}  // namespace ombrix
