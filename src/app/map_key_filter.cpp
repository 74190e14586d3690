#include "app/map_key_filter.h"

#include <QKeyEvent>

namespace ombrix::app {

std::optional<MapKeyPress> MapKeyFromEvent(const QKeyEvent& event) {
  MapKeyPress press;
  switch (event.key()) {
    case Qt::Key_Left:
      press.key_code = 37;
      break;
    case Qt::Key_Up:
      press.key_code = 38;
      break;
    case Qt::Key_Right:
      press.key_code = 39;
      break;
    case Qt::Key_Down:
      press.key_code = 40;
      break;
    default:
      return std::nullopt;
  }
  // The keypad flag and the Meta key have no bit in the mask.
  const Qt::KeyboardModifiers modifiers = event.modifiers();
  if (modifiers.testFlag(Qt::ShiftModifier)) {
    press.shift |= 1;
  }
  if (modifiers.testFlag(Qt::ControlModifier)) {
    press.shift |= 2;
  }
  if (modifiers.testFlag(Qt::AltModifier)) {
    press.shift |= 4;
  }
  return press;
}

MapKeyFilter::MapKeyFilter(QWidget* main_window, Handler handler, QObject* parent)
    : QObject(parent), main_window_(main_window), handler_(std::move(handler)) {}

bool MapKeyFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || main_window_ == nullptr || !watched->isWidgetType()) {
    return false;
  }
  // Only keys for the main window: a dialog or the legend window keeps its own.
  if (static_cast<QWidget*>(watched)->window() != main_window_) {
    return false;
  }
  const std::optional<MapKeyPress> press = MapKeyFromEvent(*static_cast<QKeyEvent*>(event));
  if (!press) {
    return false;
  }
  return handler_(press->key_code, press->shift);
}

}  // namespace ombrix::app
