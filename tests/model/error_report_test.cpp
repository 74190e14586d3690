#include "model/error_report.h"

#include <gtest/gtest.h>

#include "fakes/scripted_dialogs.h"
#include "platform/error_report_dialog.h"

namespace ombrix {
namespace {

// The loading and writing closings are pinned by the import and image-save tests.
TEST(ErrorReport, IsShownWithOnlyOkUnderItsTitle) {
  testing::ScriptedDialogs dialogs;
  ShowErrorReport(dialogs, RunError(482, "x"), Aborted::Command);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].title, "エラー報告");
  EXPECT_EQ(dialogs.messages[0].text, "エラー番号： 482　x\rコマンドを中断します。");
}

}  // namespace
}  // namespace ombrix
