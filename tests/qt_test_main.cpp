// GoogleTest inside an offscreen QApplication, with the program's own Japanese interface.

#include <gtest/gtest.h>

#include <QApplication>

#include "app/application.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  ombrix::app::SetUpJapaneseInterface();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
