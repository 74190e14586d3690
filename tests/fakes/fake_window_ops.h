#pragma once
// Window operations on plain values: a screen of fixed size, windows that are rectangles, and
// a log of what was asked.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/event_pump.h"
#include "platform/window_ops.h"

namespace ombrix::testing {

class FakeWindowOps : public WindowOps {
 public:
  ScreenInfo screen{1920 * 15.0, 1080 * 15.0, 15, 15};
  std::map<WindowId, WindowRect> geometry;
  std::map<WindowId, bool> visible;
  std::map<WindowId, bool> on_top;
  std::int32_t area_width = 0;
  std::int32_t area_height = 0;
  MousePointer pointer = MousePointer::Default;
  std::vector<std::string> log;

  ScreenInfo Screen() const override { return screen; }
  WindowRect Geometry(WindowId window) const override;
  void SetGeometry(WindowId window, const WindowRect& rect) override;
  void Show(WindowId window) override;
  void Hide(WindowId window) override;
  void KeepOnTop(WindowId window) override;
  void FocusMain() override { log.push_back("FocusMain"); }
  void SetDrawingAreaSize(std::int32_t width, std::int32_t height) override;
  void SetMousePointer(MousePointer p) override;
  void ShowStatus(std::string_view text) override { log.push_back("Status " + std::string(text)); }
};

class FakeEventPump : public EventPump {
 public:
  int processed = 0;
  bool cancel = false;
  // Called at each round, as a user pressing Esc at some moment would.
  std::function<void()> on_process;
  void ProcessPendingEvents() override {
    ++processed;
    if (on_process) {
      on_process();
    }
  }
  bool CancelRequested() const override { return cancel; }
  void ResetCancel() override { cancel = false; }
};

}  // namespace ombrix::testing
