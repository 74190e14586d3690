#include "app/map_key_filter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>
#include <string>
#include <vector>

namespace ombrix::app {
namespace {

// A main window holding a text box; the filter sits on the application until it is destroyed.
class MapKeyFilterTest : public ::testing::Test {
 protected:
  MapKeyFilterTest()
      : filter(&main, [this](std::int16_t key, std::int16_t shift) {
          seen.push_back(std::to_string(key) + "/" + std::to_string(shift));
          return take;
        }) {
    edit.setCursorPosition(3);
    qApp->installEventFilter(&filter);
  }

  static void Send(QWidget* to, int key, Qt::KeyboardModifiers modifiers,
                   const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(to, &press);
  }

  QWidget main;
  QLineEdit edit{QStringLiteral("abc"), &main};
  bool take = true;
  std::vector<std::string> seen;
  MapKeyFilter filter;
};

TEST_F(MapKeyFilterTest, ArrowsReachTheHandlerWhichMayKeepThemTypingAndOtherWindowsDoNot) {
  Send(&edit, Qt::Key_Left, Qt::ShiftModifier);  // taken: it goes no further
  EXPECT_EQ(edit.selectedText(), "");
  EXPECT_EQ(edit.cursorPosition(), 3);
  take = false;
  Send(&edit, Qt::Key_Left, Qt::ShiftModifier);  // left: it reaches the control
  EXPECT_EQ(edit.selectedText(), "c");
  take = true;
  edit.deselect();
  Send(&edit, Qt::Key_A, Qt::ShiftModifier, "A");
  Send(&edit, Qt::Key_Shift, Qt::ShiftModifier);
  EXPECT_EQ(edit.text(), "abAc");
  QWidget other;
  QLineEdit elsewhere(QStringLiteral("xyz"), &other);
  elsewhere.setCursorPosition(3);
  Send(&elsewhere, Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ(elsewhere.selectedText(), "z");
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Up, Qt::ShiftModifier);
  QApplication::sendEvent(&edit, &release);
  Send(&edit, Qt::Key_Up, Qt::ShiftModifier);
  Send(&edit, Qt::Key_Left, Qt::ControlModifier);
  Send(&edit, Qt::Key_Right, Qt::ShiftModifier | Qt::KeypadModifier);
  Send(&edit, Qt::Key_Down, Qt::ControlModifier | Qt::AltModifier);
  Send(&main, Qt::Key_Down, Qt::NoModifier);
  EXPECT_EQ(seen,
            (std::vector<std::string>{"37/1", "37/1", "38/1", "37/2", "39/1", "40/6", "40/0"}));
}

}  // namespace
}  // namespace ombrix::app
