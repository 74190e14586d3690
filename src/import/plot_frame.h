#pragma once
// Fits the plot frame to a mesh: the frame keeps the mesh's aspect ratio with its longer side
// 800 pixels wide or 600 high, and the drawing area and the window are sized around it.

#include <cstdint>

#include "model/bounded_array.h"
#include "model/panel_state.h"
#include "platform/command_context.h"

namespace ombrix {

inline constexpr std::int32_t kFrameLeft = 30;
inline constexpr std::int32_t kFrameTop = 20;
inline constexpr std::int32_t kFrameLongSideX = 800;
inline constexpr std::int32_t kFrameLongSideY = 600;
// The narrowest the main window is made, in twips.
inline constexpr double kMinMainWindowTwips = 9972;

struct PlotFrameSetup {
  double RangeX = 0;
  double RangeY = 0;
  // False when the line width is below 1: the frame is not computed and stays as it was.
  bool line_width_ok = false;
  std::int16_t line_width = 1;
  std::int32_t FrameLeft = 0;
  std::int32_t FrameTop = 0;
  std::int32_t FrameWidth = 0;
  std::int32_t FrameHeight = 0;
};

// The arithmetic alone. Errors: 13 for a panel text that is not a number, 6 for a line width
// above 32767 or a frame outside the 32-bit range, 6 or 11 when both ranges are 0 or the
// larger range is 0.
PlotFrameSetup ComputePlotFrame(const BoundedArray<double>& node_x,
                                const BoundedArray<double>& node_y, std::int32_t node_count_x,
                                std::int32_t node_count_y, const PanelState& panel);

// Stores the ranges and the frame in the model and sizes the drawing area and the window; a
// line width below 1 only shows its message.
void ApplyPlotFrame(CommandContext& ctx, const PlotFrameSetup& setup);

// Both, on the model's current mesh.
void SetPlotFrame(CommandContext& ctx);

// A whole number typed into the panel: error 13 naming the box when it is not a number.
std::int32_t PanelWholeNumber(const std::string& text, const char* caption);

}  // namespace ombrix
