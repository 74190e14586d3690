#pragma once

#include <QPointer>
#include <QStatusBar>
#include <QWidget>
#include <functional>
#include <map>

#include "platform/qt/surface_view.h"
#include "platform/window_ops.h"

namespace ombrix::qt {

// Window operations on Qt widgets. The legend and result windows are made on first use by
// the factories the application registers.
class QtWindowOps : public WindowOps {
 public:
  using Factory = std::function<QWidget*()>;

  QtWindowOps(QWidget* main_window, SurfaceView* drawing_area, QStatusBar* status_bar);
  ~QtWindowOps() override;

  void SetFactory(WindowId window, Factory factory);
  // The window if it exists, without creating it.
  QWidget* Existing(WindowId window) const;

  ScreenInfo Screen() const override;
  WindowRect Geometry(WindowId window) const override;
  void SetGeometry(WindowId window, const WindowRect& rect) override;
  void Show(WindowId window) override;
  void Hide(WindowId window) override;
  void KeepOnTop(WindowId window) override;
  void FocusMain() override;
  void SetDrawingAreaSize(std::int32_t width, std::int32_t height) override;
  void SetMousePointer(MousePointer pointer) override;
  void ShowStatus(std::string_view text) override;

 private:
  QWidget* Window(WindowId window) const;

  QPointer<QWidget> main_;
  QPointer<SurfaceView> drawing_area_;
  QPointer<QStatusBar> status_bar_;
  std::map<WindowId, Factory> factories_;
  mutable std::map<WindowId, QPointer<QWidget>> made_;
  bool busy_cursor_ = false;
};

}  // namespace ombrix::qt
