#include "view/background_map.h"

#include <gtest/gtest.h>

#include "fakes/fake_context.h"

namespace ombrix {
namespace {

using testing::SolidPicture;

class BackgroundMap : public ::testing::Test {
 protected:
  BackgroundMap() {
    env.model.FrameLeft = 30;
    env.model.FrameTop = 20;
    env.model.FrameWidth = 800;
    env.model.FrameHeight = 400;
    env.pictures.files["/maps/site.gif"] = SolidPicture(100, 50, 0x336699);
    env.pictures.files["/maps/other.jpg"] = SolidPicture(40, 30, 0x000000);
    env.pictures.files["/maps/sprite.bmp"] = SolidPicture(100, 50, 0xF0F0F0);
    env.pictures.not_pictures.insert("/maps/notes.txt");
  }

  void Run(void (*command)(CommandContext&), std::optional<std::string> answer) {
    env.dialogs.file_answers.push_back(answer);
    CommandContext ctx = env.Context();
    command(ctx);
  }

  testing::FakeEnvironment env;
};

TEST_F(BackgroundMap, PlacesTheMapAtTheFrameCornerAtItsOwnPixelSizeUnlessCancelled) {
  env.windows.screen.twips_per_pixel_x = 9;  // the screen's resolution does not scale it
  Run(LoadMap_Click, "/maps/site.gif");
  EXPECT_EQ(env.dialogs.file_filters,
            std::vector<std::string>{"画像 ファイル (*.gif,*.jpg,*.jpeg)|*.jpeg;*.jpg;*.gif"});
  EXPECT_EQ(env.model.MapLoaded, 1);
  // Painted over whatever the area shows: no clearing, no change of scale.
  EXPECT_EQ(env.picture.calls, (std::vector<std::string>{
                                   "PaintPicture 100x50 30 20 100 50 0 0 100 50 copy", "Refresh"}));
  EXPECT_EQ(env.windows.log, (std::vector<std::string>{"Pointer 11", "Pointer 0"}));
  // Cancelling either dialog changes nothing.
  Run(LoadMap_Click, std::nullopt);
  Run(Sprite_Click, std::string());
  EXPECT_EQ(env.picture.calls.size(), 2u);
  EXPECT_TRUE(env.dialogs.messages.empty());
}

TEST_F(BackgroundMap, ReloadingReplacesThePictureUndoesTheMovesAndLeavesNothingOfTheOld) {
  Run(LoadMap_Click, "/maps/site.gif");
  env.model.MapLeft = -15;
  env.model.MapTop = 95;
  env.model.MapWidth = 150;
  env.picture.calls.clear();
  Run(LoadMap_Click, "/maps/other.jpg");
  // The larger old map is wiped first: the new one is at the frame corner and its own size.
  EXPECT_EQ(env.picture.calls,
            (std::vector<std::string>{"ScaleMode 3", "Cls",
                                      "PaintPicture 40x30 30 20 40 30 0 0 40 30 copy",
                                      "Box 30 20 830 420 #f0f000", "Refresh"}));
}

TEST_F(BackgroundMap, AFailedMapOrSpriteLoadIsReportedAndLeavesNoMap) {
  for (const std::string path : {"/maps/notes.txt", "/maps/missing.gif"}) {
    SCOPED_TRACE(path);
    Run(LoadMap_Click, "/maps/site.gif");
    env.dialogs.messages.clear();
    env.picture.calls.clear();
    Run(LoadMap_Click, path);
    ASSERT_EQ(env.dialogs.messages.size(), 1u);
    const testing::ShownMessage& report = env.dialogs.messages.front();
    EXPECT_NE(report.text.find(path), std::string::npos) << report.text;
    EXPECT_EQ(env.model.MapLoaded, 0);
    EXPECT_TRUE(env.window.MapPicture.empty()) << "the old map is dropped before loading";
    EXPECT_TRUE(env.picture.calls.empty());
    EXPECT_EQ(env.windows.pointer, MousePointer::Default);
  }
  EXPECT_NE(env.dialogs.messages.front().text.find("エラー番号： 53"), std::string::npos);
  // A sprite without a map, or one that does not load, is reported and paints nothing.
  Run(Sprite_Click, "/maps/sprite.bmp");
  Run(LoadMap_Click, "/maps/site.gif");
  env.picture.calls.clear();
  Run(Sprite_Click, "/maps/notes.txt");
  ASSERT_EQ(env.dialogs.messages.size(), 3u);
  EXPECT_TRUE(env.dialogs.messages[1].text.starts_with("エラー番号： 481　"));
  for (const testing::ShownMessage& report : env.dialogs.messages)
    EXPECT_TRUE(report.text.ends_with("\r読み込みを中断します。")) << report.text;
  EXPECT_EQ(env.model.MapLoaded, 0);
  EXPECT_TRUE(env.picture.calls.empty());
}

TEST_F(BackgroundMap, SpriteOrsTheMapThenAndsTheSpriteOverTheMapsRectangle) {
  Run(LoadMap_Click, "/maps/site.gif");
  env.model.MapLeft = 35;  // moved and narrowed with the keys
  env.model.MapWidth = 80;
  env.picture.calls.clear();
  // A sprite larger than the map is read over the map's size only.
  env.pictures.files["/maps/big.bmp"] = SolidPicture(300, 200, 0xFFFFFF);
  Run(Sprite_Click, "/maps/big.bmp");
  EXPECT_EQ(env.dialogs.file_filters.back(),
            "画像 ファイル (*.bmp,*.gif,*.jpg,*.jpeg)|*.bmp;*.jpeg;*.jpg;*.gif");
  EXPECT_EQ(env.picture.calls, (std::vector<std::string>{
                                   "PaintPicture 100x50 35 20 80 50 0 0 100 50 or",
                                   "PaintPicture 300x200 35 20 80 50 0 0 100 50 and", "Refresh"}));
}

}  // namespace
}  // namespace ombrix
