#include "optimise/optimize_command.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <utility>

#include "fakes/fake_context.h"
#include "fakes/recording_result_window.h"
#include "fakes/recording_workbook_writer.h"
#include "model/modes.h"
#include "model/numeric.h"
#include "optimise_fixture.h"

namespace ombrix {
namespace {

const std::string kAskFit = "メッシュ最適化|メッシュ最適化しますか？";
const std::string kAskWrite = "メッシュ最適化|メッシュに最適化データを書き込みますか？";

class OptimizeCommand : public ::testing::Test {
 protected:
  OptimizeCommand() {
    // Four columns, three rows; one point inside cell (1, 1), one on the side shared by cells
    // (2, 2) and (2, 3), one outside the mesh.
    env.model = testing::MakeModel({0, 1, 2, 3}, {2, 1, 0},
                                   {{0.25, 1.5, 3}, {2, 0.5, 5}, {9, 9, 1}}, 1, 1, 10);
    env.window.MeshFileName = "/data/mesh.xls";
  }

  // Every way out of the command puts the pointer back.
  void TearDown() override { EXPECT_EQ(env.windows.pointer, MousePointer::Default); }

  // Runs the command with these answers to its questions.
  void Run(std::deque<bool> answers) {
    env.dialogs.yes_no_answers = std::move(answers);
    CommandContext ctx{env.model,   env.window,  env.panel,  env.picture,  nullptr,
                       env.dialogs, env.windows, env.events, env.workbooks};
    ctx.result = &result;
    ctx.writer = &writer;
    MeshOptimizing_Click(ctx);
  }

  testing::FakeEnvironment env;
  testing::RecordingResultWindow result;
  testing::RecordingWorkbookWriter writer;
};

TEST_F(OptimizeCommand, NoToTheFirstQuestionOrEscLeavesTheMeshAsItWas) {
  Run({false});
  EXPECT_EQ(env.dialogs.questions, std::vector<std::string>{kAskFit});
  EXPECT_TRUE(env.dialogs.messages.empty());
  EXPECT_EQ(env.events.processed, 0);
  // Esc once the third sweep has started: nothing more is asked.
  env.events.on_process = [&] { env.events.cancel = env.events.processed > 2; };
  Run({true});
  EXPECT_EQ(env.dialogs.questions, (std::vector<std::string>{kAskFit, kAskFit}));
  ASSERT_EQ(env.dialogs.messages.size(), 1u);
  EXPECT_EQ(env.dialogs.messages[0].text, kOptimizeCancelled);
  EXPECT_TRUE(testing::Untouched(env.model));
  EXPECT_TRUE(writer.saves.empty());
}

TEST_F(OptimizeCommand, TheFitStaysInTheModelIsSavedOnYesOnlyAndListedInMode1) {
  Run({true, false});
  EXPECT_EQ(env.dialogs.questions, (std::vector<std::string>{kAskFit, kAskWrite}));
  ASSERT_EQ(env.dialogs.messages.size(), 1u);
  EXPECT_EQ(env.dialogs.messages[0].text, "メッシュ最適化計算終了");
  EXPECT_EQ(env.dialogs.messages[0].icon, MessageIcon::Information);
  EXPECT_FALSE(testing::Untouched(env.model));
  EXPECT_TRUE(writer.saves.empty());
  // Mode 0: the result window is never used.
  EXPECT_TRUE(result.progress.empty());
  EXPECT_EQ(env.windows.visible.count(WindowId::Result), 0u);
  Run({true, true});
  ASSERT_EQ(writer.saves.size(), 1u);
  EXPECT_EQ(writer.saves[0].path, "/data/mesh.xls");
  // Which cells are written, and marked, is the write-back's own test.
  ASSERT_EQ(writer.saves[0].edits.size(), 12u);
  EXPECT_EQ(writer.saves[0].edits[11].value, env.model.NodeValue(3, 4));
  // Mode 1 lists four times, the last the solution now in the mesh; each listing waits
  // (result_listings_test), then the end is told.
  env.model.InfoDisplayMode = 1;
  Run({true, false});
  ASSERT_EQ(result.listings.size(), 4u);
  EXPECT_EQ(result.listings[3][11], NumberText(env.model.NodeValue(3, 4)));
  ASSERT_EQ(env.dialogs.messages.size(), 2 + 5u);
  EXPECT_EQ(env.dialogs.messages[6].text, "メッシュ最適化計算終了");
}

TEST_F(OptimizeCommand, ResidualInformationShowsProgressAndCaptionsButNoListing) {
  env.model.InfoDisplayMode = 2;
  Run({true, false});
  EXPECT_TRUE(result.listings.empty());
  ASSERT_EQ(env.dialogs.messages.size(), 1u);
  EXPECT_TRUE(env.windows.visible[WindowId::Result]);
  ASSERT_GT(result.progress.size(), 1u);
  for (std::size_t s = 0; s < result.progress.size(); ++s)
    EXPECT_EQ(result.progress[s].first, std::to_string(s + 1));
  // Shown once, before the first sweep's progress; the status line follows every sweep.
  EXPECT_EQ(std::count(env.windows.log.begin(), env.windows.log.end(), "Show Result"), 1);
  const auto shown = std::find(env.windows.log.begin(), env.windows.log.end(), "Show Result");
  const auto first_status =
      std::find_if(env.windows.log.begin(), env.windows.log.end(),
                   [](const std::string& s) { return s.starts_with("Status メ"); });
  EXPECT_LT(shown, first_status);
  EXPECT_EQ(result.captions, (std::vector<std::pair<std::string, std::string>>{
                                 {"ＳＯＲ法繰り返し回数", "ＳＯＲ法残差（比率）"}}));
  // The exact solver names itself, and counts its iterations from 1.
  env.model.OptimizeSolver = kSolverExact;
  result.progress.clear();
  Run({true, false});
  EXPECT_EQ(result.captions.back(),
            (std::pair<std::string, std::string>{"ＣＧ法繰り返し回数", "ＣＧ法残差（比率）"}));
  ASSERT_FALSE(result.progress.empty());
  EXPECT_EQ(result.progress[0].first, "1");
}

TEST_F(OptimizeCommand, AFailedOrImpossibleFitIsReportedAndTheProgramGoesOn) {
  env.model.RelaxationFactor = 3.5;  // diverges until the values overflow
  Run({true});
  EXPECT_TRUE(testing::Untouched(env.model));
  ASSERT_EQ(env.dialogs.messages.size(), 1u);
  EXPECT_EQ(env.dialogs.messages[0].title, "エラー報告");
  EXPECT_TRUE(env.dialogs.messages[0].text.starts_with("エラー番号： 6"));
  EXPECT_TRUE(env.dialogs.messages[0].text.ends_with("コマンドを中断します。"));
  // Without points: a clear report before any work.
  env.model.PointCount = 0;
  env.events.processed = 0;
  Run({true});
  EXPECT_TRUE(testing::Untouched(env.model));
  EXPECT_EQ(env.events.processed, 0);
  ASSERT_EQ(env.dialogs.messages.size(), 2u);
  EXPECT_NE(env.dialogs.messages[1].text.find("散布データがありません"), std::string::npos);
}

TEST_F(OptimizeCommand, AFailedSaveOrNoWorkbookToSaveToIsReportedAndTheFitStays) {
  writer.failure = RunError(err::kPathFileAccess, "\"/data/mesh.xls\" に保存できません");
  Run({true, true});
  ASSERT_EQ(env.dialogs.messages.size(), 2u);
  EXPECT_NE(env.dialogs.messages[1].text.find("/data/mesh.xls"), std::string::npos);
  EXPECT_TRUE(env.dialogs.messages[1].text.ends_with("読み込みを中断します。"));
  EXPECT_FALSE(testing::Untouched(env.model));
  writer.failure.reset();
  env.window.MeshFileName.clear();
  Run({true, true});
  EXPECT_TRUE(writer.saves.empty());
  ASSERT_EQ(env.dialogs.messages.size(), 4u);
  EXPECT_TRUE(env.dialogs.messages[3].text.ends_with("読み込みを中断します。"));
}

TEST_F(OptimizeCommand, EscDuringTheSaveLeavesTheFileAndSaysSo) {
  writer.wait_for_stop = true;
  // Esc only once the save is under way: the fit before it runs to the end.
  env.events.on_process = [&] {
    env.events.cancel =
        env.events.cancel || (!env.windows.log.empty() &&
                              env.windows.log.back().starts_with("Status メッシュに書き込み中"));
  };
  Run({true, true});
  EXPECT_TRUE(writer.saves.empty());
  EXPECT_FALSE(testing::Untouched(env.model));  // the fit stays in the model
  ASSERT_EQ(env.dialogs.messages.size(), 1u);
  EXPECT_EQ(env.dialogs.messages[0].text, kOptimizeFinished);
  EXPECT_EQ(
      env.windows.log.back(),
      "Status ワークブックへの書き込みを中止しました。ファイルは元のままです: /data/mesh.xls");

  // Without Esc the same slow save goes through.
  writer.wait_for_stop = false;
  env.events.on_process = nullptr;
  Run({true, true});
  EXPECT_EQ(writer.saves.size(), 1u);
  EXPECT_EQ(env.windows.log.back(),
            "Status 最適化した値をワークブックに書き込みました: /data/mesh.xls");
}

}  // namespace
}  // namespace ombrix
