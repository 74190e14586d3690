#include "platform/qt/qt_text.h"

#include <gtest/gtest.h>

namespace ombrix::qt {
namespace {

TEST(QtText, FiltersFromDescriptionPatternPairsAndLinesFromCarriageReturns) {
  EXPECT_EQ(DialogFilter("エクセル ファイル (*.xls *.xlsx)|*.xls;*.xlsx|"),
            QStringLiteral("エクセル ファイル (*.xls *.xlsx)"));
  EXPECT_EQ(DialogFilter("Pictures|*.gif;*.jpg|All|*.*"),
            QStringLiteral("Pictures (*.gif *.jpg);;All (*.*)"));
  EXPECT_EQ(DialogFilter(""), QString());
  // In messages a carriage return breaks the line.
  EXPECT_EQ(MessageText("a\rb\r\nc"), QStringLiteral("a\nb\nc"));
  EXPECT_EQ(ToStdString(ToQString("エラー報告")), "エラー報告");
}

}  // namespace
}  // namespace ombrix::qt
