#include "platform/qt/qt_dialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "platform/qt/qt_events.h"

namespace ombrix::qt {
namespace {

// Runs `act` on the modal dialog, which must be a `Dialog`, as soon as it is open.
template <typename Dialog>
void WhenModalOpens(std::function<void(Dialog*)> act) {
  QTimer::singleShot(0, [act] {
    auto* modal = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    ASSERT_NE(modal, nullptr);
    act(modal);
  });
}

TEST(QtDialogs, ShowTheirTextsAndJapaneseButtonsAndGiveTheAnswerOrEmptyOnCancel) {
  QtDialogs dialogs(nullptr);
  QString title, text;
  WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
    title = box->windowTitle();
    text = box->text();
    box->button(QMessageBox::Ok)->click();
  });
  dialogs.Message("エラー番号： 9　x\r読み込みを中断します。", "エラー報告", MessageIcon::None);
  EXPECT_EQ(title, QStringLiteral("エラー報告"));
  EXPECT_EQ(text, QStringLiteral("エラー番号： 9　x\n読み込みを中断します。"));
  for (const bool yes : {true, false}) {
    QString yes_text;
    WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
      yes_text = box->button(QMessageBox::Yes)->text();
      box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
    });
    EXPECT_EQ(dialogs.AskYesNo("続けますか？", "メッシュ最適化"), yes);
    EXPECT_TRUE(yes_text.contains(QStringLiteral("はい"))) << yes_text.toStdString();
  }

  QString prompt, shown_default, cancel_text;
  WhenModalOpens<QInputDialog>([&](QInputDialog* input) {
    prompt = input->labelText();
    shown_default = input->textValue();
    auto* box = input->findChild<QDialogButtonBox*>();
    ASSERT_NE(box, nullptr);
    cancel_text = box->button(QDialogButtonBox::Cancel)->text();
    input->setTextValue(QStringLiteral("3"));
    input->accept();
  });
  EXPECT_EQ(dialogs.InputBox("分割数", "メッシュ分割", "2"), "3");
  EXPECT_EQ(prompt, QStringLiteral("分割数"));
  EXPECT_EQ(shown_default, QStringLiteral("2"));
  EXPECT_TRUE(cancel_text.contains(QStringLiteral("キャンセル"))) << cancel_text.toStdString();
  WhenModalOpens<QInputDialog>([](QInputDialog* input) { input->reject(); });
  EXPECT_EQ(dialogs.InputBox("分割数", "メッシュ分割", "2"), "");
}

TEST(QtEventPump, EscapeAnywhereRequestsCancel) {
  QtEventPump pump;
  QLineEdit field;
  EXPECT_FALSE(pump.CancelRequested());
  QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
  QApplication::sendEvent(&field, &other);
  EXPECT_FALSE(pump.CancelRequested());
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&field, &escape);
  EXPECT_TRUE(pump.CancelRequested());
  pump.ProcessPendingEvents();
  EXPECT_TRUE(pump.CancelRequested());
  pump.ResetCancel();
  EXPECT_FALSE(pump.CancelRequested());
}

}  // namespace
}  // namespace ombrix::qt
