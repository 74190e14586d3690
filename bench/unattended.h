#pragma once
// What a benchmarked command works with when nobody watches: dialogs that answer nothing,
// windows that do nothing, no events, no workbooks; and the smooth test field the drawing
// benchmarks contour.

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "model/form_load.h"
#include "model/main_window_state.h"
#include "model/mesh_model.h"
#include "platform/dialogs.h"
#include "platform/event_pump.h"
#include "platform/window_ops.h"
#include "platform/workbook.h"

namespace ombrix::bench {

struct Unattended : Dialogs, WindowOps, EventPump, WorkbookOpener {
  void Message(std::string_view, std::string_view, MessageIcon) override {}
  bool AskYesNo(std::string_view, std::string_view) override { return false; }
  std::string InputBox(std::string_view, std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> OpenFile(std::string_view, std::string_view = {}) override {
    return std::nullopt;
  }
  ScreenInfo Screen() const override { return {}; }
  WindowRect Geometry(WindowId) const override { return {}; }
  void SetGeometry(WindowId, const WindowRect&) override {}
  void Show(WindowId) override {}
  void Hide(WindowId) override {}
  void KeepOnTop(WindowId) override {}
  void FocusMain() override {}
  void SetDrawingAreaSize(std::int32_t, std::int32_t) override {}
  void SetMousePointer(MousePointer) override {}
  void ShowStatus(std::string_view) override {}
  void ProcessPendingEvents() override {}
  bool CancelRequested() const override { return false; }
  void ResetCancel() override {}
  std::unique_ptr<Workbook> Open(const std::string&) override { return nullptr; }
};

// An n x n mesh of a smooth field from about 55 to 145 (some 90 levels at interval 1) whose
// hills are `wave_x` and `wave_y` nodes across, in a 600 x 600 frame.
inline void MakeSmoothMesh(MeshModel& m, MainWindowState& w, int n, double wave_x, double wave_y) {
  FormLoad(m, w);
  AllocateMesh(m, n, n);
  for (int j = 1; j <= n; ++j) {
    m.NodeX(j) = j - 1.0;
  }
  for (int i = 1; i <= n; ++i) {
    m.NodeY(i) = n - static_cast<double>(i);
    for (int j = 1; j <= n; ++j) {
      m.NodeValue(i, j) = 100 + 45 * std::sin(j / wave_x) * std::cos(i / wave_y) + 0.004 * (i + j);
    }
  }
  m.RangeX = m.RangeY = n - 1.0;
  m.FrameLeft = 30;
  m.FrameTop = 20;
  m.FrameWidth = m.FrameHeight = 600;
  w.MeshFileName = "bench";
}

}  // namespace ombrix::bench
