#include "platform/qt/surface_view.h"

#include <QPainter>

namespace ombrix::qt {

SurfaceView::SurfaceView(QtSurface& surface, QWidget* parent) : QWidget(parent), surface_(surface) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  pending_.setSingleShot(true);
  connect(&pending_, &QTimer::timeout, this, [this] {
    since_last_.restart();
    ++scheduled_repaints_;
    update();
  });
  surface_.SetRefreshHandler([this] { RequestRepaint(); });
  resize(surface_.image().size());
}

void SurfaceView::SetAreaSize(int width, int height) {
  surface_.Resize(width, height);
  resize(std::max(width, 1), std::max(height, 1));
  update();
}

void SurfaceView::RequestRepaint() {
  if (pending_.isActive()) {
    return;  // a repaint is already on its way and will show this drawing too
  }
  if (!since_last_.isValid() || since_last_.elapsed() >= kMinRepaintIntervalMs) {
    since_last_.restart();
    ++scheduled_repaints_;
    update();
    return;
  }
  pending_.start(kMinRepaintIntervalMs - static_cast<int>(since_last_.elapsed()));
}

void SurfaceView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, surface_.image());
}

}  // namespace ombrix::qt
