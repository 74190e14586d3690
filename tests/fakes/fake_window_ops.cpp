#include "fakes/fake_window_ops.h"

namespace ombrix::testing {
namespace {

const char* Name(WindowId window) {
  switch (window) {
    case WindowId::Main:
      return "Main";
    case WindowId::Legend:
      return "Legend";
    case WindowId::Result:
      return "Result";
  }
  return "?";
}

}  // namespace

WindowRect FakeWindowOps::Geometry(WindowId window) const {
  const auto it = geometry.find(window);
  return it == geometry.end() ? WindowRect{} : it->second;
}

void FakeWindowOps::SetGeometry(WindowId window, const WindowRect& rect) {
  geometry[window] = rect;
  log.push_back(std::string("SetGeometry ") + Name(window));
}

void FakeWindowOps::Show(WindowId window) {
  visible[window] = true;
  log.push_back(std::string("Show ") + Name(window));
}

void FakeWindowOps::Hide(WindowId window) {
  visible[window] = false;
  log.push_back(std::string("Hide ") + Name(window));
}

void FakeWindowOps::KeepOnTop(WindowId window) {
  on_top[window] = true;
  log.push_back(std::string("KeepOnTop ") + Name(window));
}

void FakeWindowOps::SetDrawingAreaSize(std::int32_t width, std::int32_t height) {
  area_width = width;
  area_height = height;
  log.push_back("DrawingArea " + std::to_string(width) + "x" + std::to_string(height));
}

void FakeWindowOps::SetMousePointer(MousePointer p) {
  pointer = p;
  log.push_back("Pointer " + std::to_string(static_cast<int>(p)));
}

}  // namespace ombrix::testing
