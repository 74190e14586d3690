#include "platform/qt/qt_events.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace ombrix::qt {

QtEventPump::QtEventPump() {
  if (QCoreApplication::instance() != nullptr) {
    QCoreApplication::instance()->installEventFilter(this);
  }
}

QtEventPump::~QtEventPump() {
  if (QCoreApplication::instance() != nullptr) {
    QCoreApplication::instance()->removeEventFilter(this);
  }
}

void QtEventPump::ProcessPendingEvents() {
  QCoreApplication::processEvents();
}

bool QtEventPump::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    cancel_requested_ = true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace ombrix::qt
