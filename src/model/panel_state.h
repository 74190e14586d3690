#pragma once
// What the settings panel shows when a command starts, read once into a plain value so the
// commands never touch a widget.

#include <cstdint>
#include <string>

namespace ombrix {

struct PanelState {
  std::string Text1 = "1";    // "Interval": contour interval
  std::string Text2 = "1";    // "LineWidth": contour line width
  std::string Text3 = "2/3";  // view-shrink factor
  std::int32_t Check1 = 0;    // "OutLine"
  std::int32_t Check2 = 1;    // "Level"
  std::int32_t Check3 = 1;    // "RedLine"
  std::int32_t Check4 = 0;    // "Printer"
  bool Option1 = true;        // "Nothing"
  bool Option2 = false;       // "Easy"
  bool Option3 = false;       // "Normal"
};

// A check box counts as on only when its value is exactly 1.
inline bool IsTicked(std::int32_t check_value) {
  return check_value == 1;
}

}  // namespace ombrix
