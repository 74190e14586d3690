#include "model/error_report.h"

#include <gtest/gtest.h>

#include "fakes/scripted_dialogs.h"
#include "platform/error_report_dialog.h"

namespace ombrix {
namespace {

TEST(ErrorReport, TextIsByteForByteTheFixedForm) {
  // "エラー番号：" + " 9" + full-width blank + description + CR + closing line.
  EXPECT_EQ(ErrorReportText(9, "配列がありません", Aborted::Loading),
            "\xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC\xE7\x95\xAA\xE5\x8F\xB7\xEF\xBC\x9A"
            " 9"
            "\xE3\x80\x80"
            "配列がありません"
            "\r"
            "\xE8\xAA\xAD\xE3\x81\xBF\xE8\xBE\xBC\xE3\x81\xBF\xE3\x82\x92\xE4\xB8\xAD\xE6\x96\xAD"
            "\xE3\x81\x97\xE3\x81\xBE\xE3\x81\x99\xE3\x80\x82");
  EXPECT_EQ(ErrorReportText(75, "x", Aborted::Writing),
            "エラー番号： 75　x\r書き込みを中断します。");
  EXPECT_EQ(ErrorReportText(482, "", Aborted::Command),
            "エラー番号： 482　\rコマンドを中断します。");
  EXPECT_EQ(ErrorReportText(-1, "z", Aborted::Loading),
            "エラー番号：-1　z\r読み込みを中断します。");
}

TEST(ErrorReport, IsShownWithOnlyOkUnderItsTitle) {
  testing::ScriptedDialogs dialogs;
  ShowErrorReport(dialogs, RunError(13, "セル G6 は数値ではありません。"), Aborted::Loading);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].title, "エラー報告");
  EXPECT_EQ(dialogs.messages[0].text,
            "エラー番号： 13　セル G6 は数値ではありません。\r読み込みを中断します。");
  EXPECT_TRUE(dialogs.questions.empty());
}

}  // namespace
}  // namespace ombrix
