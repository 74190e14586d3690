#include "view/contour_image_save.h"

#include <gtest/gtest.h>

#include "fakes/fake_context.h"

namespace ombrix {
namespace {

// The plain case is the saving command's below.
TEST(ContourImagePath, IsInTheFolderHoldingTheWorkbookWithAnUpperCaseExtension) {
  EXPECT_EQ(ContourImageFolder("/地形/測量 2024/mesh.xlsx"), "/地形/測量 2024/");
  // A folder that carries the workbook's own name is still the folder that holds it.
  EXPECT_EQ(ContourImageFolder("/data/mesh.xls/mesh.xls"), "/data/mesh.xls/");
  EXPECT_EQ(ContourImageFolder(""), "");                                      // no mesh loaded yet
  EXPECT_EQ(ContourImagePath("/data/mesh.xls", "x.bmp"), "/data/x.bmp.BMP");  // always added
}

class SaveContour : public ::testing::Test {
 protected:
  SaveContour() { env.window.MeshFileName = "/data/mesh.xls"; }
  void Run(const std::string& answer) {
    env.dialogs.input_answers.push_back(answer);
    CommandContext ctx = env.Context();
    SaveContour_Click(ctx);
  }

  testing::FakeEnvironment env;
};

TEST_F(SaveContour, AsksForANameAndSavesTheDrawingAreaBesideTheWorkbookUnlessCancelled) {
  Run("ContourMap");
  EXPECT_EQ(env.dialogs.input_boxes,
            std::vector<std::string>{"コンター図保存|名前を入力して下さい。|ContourMap"});
  EXPECT_EQ(env.picture.calls, std::vector<std::string>{"SavePicture /data/ContourMap.BMP"});
  EXPECT_EQ(env.windows.log.back(), "Status コンター画像を保存しました: /data/ContourMap.BMP");
  Run("");  // cancelled: saves nothing and says nothing
  EXPECT_EQ(env.picture.calls.size(), 1u);
  EXPECT_TRUE(env.dialogs.messages.empty());
}

TEST_F(SaveContour, AFailedWriteIsAnErrorReportThatAbortsWriting) {
  env.picture.save_failure = "No space left on device";
  Run("ContourMap");
  ASSERT_EQ(env.dialogs.messages.size(), 1u);
  EXPECT_EQ(
      env.dialogs.messages[0].text,
      "エラー番号： 75　画像ファイル \"/data/ContourMap.BMP\" を書き込めません: No space left "
      "on device\r書き込みを中断します。");
}

}  // namespace
}  // namespace ombrix
