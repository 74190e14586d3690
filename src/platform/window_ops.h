#pragma once
// What the commands do to the windows: sizes and places, shows, keeps on top, the mouse
// pointer and the status line. Window geometry is in twips.

#include <cstdint>
#include <string_view>

namespace ombrix {

enum class WindowId { Main, Legend, Result };

enum class MousePointer : std::int16_t { Default = 0, Hourglass = 11 };

struct WindowRect {
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
  bool operator==(const WindowRect&) const = default;
};

struct ScreenInfo {
  double width = 0;   // twips
  double height = 0;  // twips
  double twips_per_pixel_x = 15;
  double twips_per_pixel_y = 15;
};

class WindowOps {
 public:
  virtual ~WindowOps() = default;

  virtual ScreenInfo Screen() const = 0;
  // Outer geometry of a window, twips.
  virtual WindowRect Geometry(WindowId window) const = 0;
  virtual void SetGeometry(WindowId window, const WindowRect& rect) = 0;
  virtual void Show(WindowId window) = 0;
  virtual void Hide(WindowId window) = 0;
  // Keeps the window above all others without moving, resizing or showing it.
  virtual void KeepOnTop(WindowId window) = 0;
  virtual void FocusMain() = 0;
  // Outer size of the drawing area, pixels.
  virtual void SetDrawingAreaSize(std::int32_t width, std::int32_t height) = 0;
  virtual void SetMousePointer(MousePointer pointer) = 0;
  // A short progress line for long work; empty clears it.
  virtual void ShowStatus(std::string_view text) = 0;
};

}  // namespace ombrix
