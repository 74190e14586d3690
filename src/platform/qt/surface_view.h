#pragma once
// The widget that shows a QtSurface. Refresh requests are coalesced so the screen repaints a
// few dozen times a second at most, however often the drawing code asks.

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include "platform/qt/qt_surface.h"

namespace ombrix::qt {

class SurfaceView : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kMinRepaintIntervalMs = 33;

  SurfaceView(QtSurface& surface, QWidget* parent = nullptr);

  QtSurface& surface() { return surface_; }
  // Sets the widget's size and the image's size together.
  void SetAreaSize(int width, int height);
  // Number of repaints actually scheduled (for tests of the throttle).
  int scheduled_repaints() const { return scheduled_repaints_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void RequestRepaint();

  QtSurface& surface_;
  QElapsedTimer since_last_;
  QTimer pending_;
  int scheduled_repaints_ = 0;
};

}  // namespace ombrix::qt
