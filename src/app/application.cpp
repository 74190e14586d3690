#include "app/application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/main_window.h"
#include "platform/qt/qt_child.h"

namespace ombrix::app {

void SetUpJapaneseInterface() {
  QTranslator* translator = qt::MakeChild<QTranslator>(QCoreApplication::instance());
  if (translator->load(QStringLiteral("qtbase_ja"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(translator);
  }
  // The proportional face keeps the English captions inside their narrow controls.
  QFont font(QStringLiteral("IPAPGothic"));
  font.setPointSize(9);
  QApplication::setFont(font);
}

int RunWindow(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("ombrix"));
  SetUpJapaneseInterface();
  MainWindow window;
  window.show();
  return QApplication::exec();
}

}  // namespace ombrix::app
