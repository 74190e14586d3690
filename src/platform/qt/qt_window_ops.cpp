#include "platform/qt/qt_window_ops.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

#include "platform/qt/qt_text.h"

namespace ombrix::qt {
namespace {

double TwipsPerPixel(bool horizontal) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double dpi = screen == nullptr ? 96.0
                                       : (horizontal ? screen->logicalDotsPerInchX()
                                                     : screen->logicalDotsPerInchY());
  return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

int ToPixels(double twips, double twips_per_pixel) {
  return static_cast<int>(std::nearbyint(twips / twips_per_pixel));
}

}  // namespace

QtWindowOps::QtWindowOps(QWidget* main_window, SurfaceView* drawing_area, QStatusBar* status_bar)
    : main_(main_window), drawing_area_(drawing_area), status_bar_(status_bar) {}

QtWindowOps::~QtWindowOps() {
  if (busy_cursor_) {
    QApplication::restoreOverrideCursor();
  }
}

void QtWindowOps::SetFactory(WindowId window, Factory factory) {
  factories_[window] = std::move(factory);
}

QWidget* QtWindowOps::Existing(WindowId window) const {
  if (window == WindowId::Main) {
    return main_;
  }
  const auto it = made_.find(window);
  return it == made_.end() ? nullptr : it->second.data();
}

QWidget* QtWindowOps::Window(WindowId window) const {
  if (QWidget* existing = Existing(window)) {
    return existing;
  }
  const auto factory = factories_.find(window);
  if (factory == factories_.end() || !factory->second) {
    return nullptr;
  }
  QWidget* made = factory->second();
  made_[window] = made;
  return made;
}

ScreenInfo QtWindowOps::Screen() const {
  ScreenInfo info;
  info.twips_per_pixel_x = TwipsPerPixel(true);
  info.twips_per_pixel_y = TwipsPerPixel(false);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    info.width = screen->geometry().width() * info.twips_per_pixel_x;
    info.height = screen->geometry().height() * info.twips_per_pixel_y;
  }
  return info;
}

WindowRect QtWindowOps::Geometry(WindowId window) const {
  const QWidget* widget = Window(window);
  if (widget == nullptr) {
    return {};
  }
  const ScreenInfo screen = Screen();
  const QRect frame = widget->frameGeometry();
  return {frame.x() * screen.twips_per_pixel_x, frame.y() * screen.twips_per_pixel_y,
          frame.width() * screen.twips_per_pixel_x, frame.height() * screen.twips_per_pixel_y};
}

void QtWindowOps::SetGeometry(WindowId window, const WindowRect& rect) {
  QWidget* widget = Window(window);
  if (widget == nullptr) {
    return;
  }
  const ScreenInfo screen = Screen();
  // Qt sizes the inner area; the frame adds what the window manager draws around it.
  const QSize frame_extra = widget->frameGeometry().size() - widget->size();
  widget->move(ToPixels(rect.left, screen.twips_per_pixel_x),
               ToPixels(rect.top, screen.twips_per_pixel_y));
  widget->resize(
      std::max(1, ToPixels(rect.width, screen.twips_per_pixel_x) - frame_extra.width()),
      std::max(1, ToPixels(rect.height, screen.twips_per_pixel_y) - frame_extra.height()));
}

void QtWindowOps::Show(WindowId window) {
  if (QWidget* widget = Window(window)) {
    widget->show();
  }
}

void QtWindowOps::Hide(WindowId window) {
  if (QWidget* widget = Existing(window)) {
    widget->hide();
  }
}

void QtWindowOps::KeepOnTop(WindowId window) {
  QWidget* widget = Window(window);
  if (widget == nullptr || widget->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
    return;
  }
  const bool was_visible = widget->isVisible();
  widget->setWindowFlag(Qt::WindowStaysOnTopHint, true);  // hides a visible window
  if (was_visible) {
    widget->show();
  }
}

void QtWindowOps::FocusMain() {
  if (main_) {
    main_->activateWindow();
    main_->setFocus();
  }
}

void QtWindowOps::SetDrawingAreaSize(std::int32_t width, std::int32_t height) {
  if (drawing_area_) {
    drawing_area_->SetAreaSize(width, height);
  }
}

void QtWindowOps::SetMousePointer(MousePointer pointer) {
  const bool busy = pointer == MousePointer::Hourglass;
  if (busy && !busy_cursor_) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (!busy && busy_cursor_) {
    QApplication::restoreOverrideCursor();
  }
  busy_cursor_ = busy;
}

void QtWindowOps::ShowStatus(std::string_view text) {
  if (!status_bar_) {
    return;
  }
  if (text.empty()) {
    status_bar_->clearMessage();
  } else {
    status_bar_->showMessage(ToQString(text));
  }
  // Long work shows its progress between two event rounds: paint the line now.
  status_bar_->repaint();
}

}  // namespace ombrix::qt
