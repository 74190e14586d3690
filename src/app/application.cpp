#include "app/application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/main_window.h"
#include "platform/qt/qt_child.h"

namespace ombrix::app {
namespace {

constexpr int kExitNoWindow = 1;

std::string_view Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string_view() : std::string_view(value);
}

[[noreturn]] void RefuseWithoutDisplay(std::string_view why) {
  std::fprintf(stderr,
               "ombrix: the window cannot open: %.*s; run it on a desktop or under xvfb-run, "
               "or give a command (ombrix --help)\n",
               static_cast<int>(why.size()), why.data());
  std::_Exit(kExitNoWindow);
}

QtMessageHandler default_messages = nullptr;

// While the platform starts, its failure is fatal to Qt (an abort with a core dump and a
// plugin list): say in one line what is wrong instead, and leave with a status.
void StartUpMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    const std::string display(Environment("DISPLAY"));
    RefuseWithoutDisplay(display.empty() ? std::string("no display can be reached")
                                         : "the display \"" + display + "\" cannot be reached");
  }
  // The platform plugin's own complaints come before that fatal message: it says it better.
  if (context.category != nullptr && std::string_view(context.category).starts_with("qt.qpa")) {
    return;
  }
  if (default_messages != nullptr) {
    default_messages(type, context, text);
  }
}

}  // namespace

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
  if (Environment("DISPLAY").empty() && Environment("WAYLAND_DISPLAY").empty() &&
      Environment("QT_QPA_PLATFORM").empty()) {
    RefuseWithoutDisplay("no display (DISPLAY and WAYLAND_DISPLAY are not set)");
  }
  default_messages = qInstallMessageHandler(StartUpMessages);
  QApplication application(argc, argv);
  qInstallMessageHandler(default_messages);
  QApplication::setApplicationName(QStringLiteral("ombrix"));
  SetUpJapaneseInterface();
  MainWindow window;
  window.show();
  return QApplication::exec();
}

}  // namespace ombrix::app
