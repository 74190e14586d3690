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
  MousePointer pointer = MousePointer::Default;
  std::vector<std::string> log;

  ScreenInfo Screen() const override { return screen; }
  WindowRect Geometry(WindowId window) const override {
    const auto it = geometry.find(window);
    return it == geometry.end() ? WindowRect{} : it->second;
  }
  void SetGeometry(WindowId window, const WindowRect& rect) override {
    geometry[window] = rect;
    Log("SetGeometry ", window);
  }
  void Show(WindowId window) override {
    visible[window] = true;
    Log("Show ", window);
  }
  void Hide(WindowId window) override {
    visible[window] = false;
    Log("Hide ", window);
  }
  void KeepOnTop(WindowId window) override {
    on_top[window] = true;
    Log("KeepOnTop ", window);
  }
  void FocusMain() override { log.push_back("FocusMain"); }
  void SetDrawingAreaSize(std::int32_t width, std::int32_t height) override {
    log.push_back("DrawingArea " + std::to_string(width) + "x" + std::to_string(height));
  }
  void SetMousePointer(MousePointer p) override {
    pointer = p;
    log.push_back("Pointer " + std::to_string(static_cast<int>(p)));
  }
  void ShowStatus(std::string_view text) override { log.push_back("Status " + std::string(text)); }

 private:
  void Log(std::string what, WindowId window) {
    static constexpr const char* kNames[] = {"Main", "Legend", "Result"};
    log.push_back(what + kNames[static_cast<int>(window)]);
  }
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
