#include "view/contour_image_save.h"

#include <gtest/gtest.h>

#include "fakes/fake_context.h"

namespace ombrix {
namespace {

TEST(ContourImageFolder, IsTheFolderHoldingTheWorkbookEndingInASeparator) {
  EXPECT_EQ(ContourImageFolder("/data/mesh.xls"), "/data/");
  EXPECT_EQ(ContourImageFolder("/地形/測量 2024/mesh.xlsx"), "/地形/測量 2024/");
  // A folder that carries the workbook's own name is still the folder that holds it.
  EXPECT_EQ(ContourImageFolder("/data/mesh.xls/mesh.xls"), "/data/mesh.xls/");
  EXPECT_EQ(ContourImageFolder("/mesh.xls/mesh.xls"), "/mesh.xls/");
  EXPECT_EQ(ContourImageFolder(""), "");  // no mesh loaded yet
  EXPECT_EQ(ContourImageFolder("mesh.xls"), "");
}

TEST(ContourImagePath, JoinsFolderNameAndUpperCaseExtension) {
  // The plain case is the saving command's below.
  EXPECT_EQ(ContourImagePath("/data/mesh.xls", "x.bmp"), "/data/x.bmp.BMP");
  EXPECT_EQ(ContourImagePath("", "ContourMap"), "ContourMap.BMP");
}

class SaveContour : public ::testing::Test {
 protected:
  void Run(const std::string& answer) {
    env.dialogs.input_answers.push_back(answer);
    CommandContext ctx = env.Context();
    SaveContour_Click(ctx);
    EXPECT_TRUE(env.dialogs.input_answers.empty()) << "the name was not asked for";
  }
  std::vector<std::string> Saves() const {
    std::vector<std::string> saves;
    for (const std::string& call : env.picture.calls) {
      if (call.rfind("SavePicture ", 0) == 0) {
        saves.push_back(call);
      }
    }
    return saves;
  }

  testing::FakeEnvironment env;
};

TEST_F(SaveContour, AsksForANameAndSavesTheDrawingAreaBesideTheWorkbook) {
  env.window.MeshFileName = "/data/mesh.xls";
  Run("ContourMap");
  EXPECT_EQ(env.dialogs.input_boxes,
            std::vector<std::string>{"コンター図保存|名前を入力して下さい。|ContourMap"});
  EXPECT_EQ(Saves(), std::vector<std::string>{"SavePicture /data/ContourMap.BMP"});
  EXPECT_TRUE(env.dialogs.messages.empty());
  EXPECT_EQ(env.windows.log.back(), "Status コンター画像を保存しました: /data/ContourMap.BMP");
}

TEST_F(SaveContour, CancelSavesNothingAndSaysNothing) {
  env.window.MeshFileName = "/data/mesh.xls";
  Run("");
  EXPECT_TRUE(Saves().empty());
  EXPECT_TRUE(env.dialogs.messages.empty());
}

TEST_F(SaveContour, AFailedWriteIsAnErrorReportThatAbortsWriting) {
  env.window.MeshFileName = "/data/mesh.xls";
  env.picture.save_failure = "No space left on device";
  Run("ContourMap");
  ASSERT_EQ(env.dialogs.messages.size(), 1u);
  const testing::ShownMessage& report = env.dialogs.messages[0];
  EXPECT_EQ(report.title, "エラー報告");
  EXPECT_EQ(
      report.text,
      "エラー番号： 75　画像ファイル \"/data/ContourMap.BMP\" を書き込めません: No space left "
      "on device\r書き込みを中断します。");
}

}  // namespace
}  // namespace ombrix
