#pragma once
// The button "画面縮小": the plot frame scaled by the factor typed into the panel (Text3),
// and the drawing area and the main window sized to fit it. Nothing is drawn; the next
// drawing uses the new frame.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/command_context.h"

namespace ombrix {

// The largest frame side the button makes, in pixels: far beyond any screen, small enough
// that the drawing area's image stays allocatable.
inline constexpr std::int32_t kMaxShrunkFrameSide = 20000;

// The factor as typed: "a/b" (split at the first "/") is a divided by b, otherwise the whole
// text is one number. Each number is read in single precision and so is the quotient.
// `refusal` is empty when the text reads, otherwise the message that says why not.
struct ShrinkFactor {
  float value = 0;
  std::string refusal;
};
ShrinkFactor ParseShrinkFactor(std::string_view text3);

// The new frame: each side times the factor (as doubles), to the nearest whole pixel with
// halves to even. A side below 1 or above kMaxShrunkFrameSide is refused with a message.
struct ShrunkFrame {
  float factor = 0;
  std::int32_t FrameWidth = 0;
  std::int32_t FrameHeight = 0;
  std::string refusal;
};
ShrunkFrame ShrinkFrame(std::string_view text3, std::int32_t frame_width,
                        std::int32_t frame_height);

// Scales the frame, puts it back at its usual corner, rescales and resizes the drawing area,
// and resizes the main window (never narrower than MinFormWidth). A factor that cannot be
// used shows its message and changes nothing.
void Command1_Click(CommandContext& ctx);

}  // namespace ombrix
