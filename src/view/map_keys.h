#pragma once
// The main window's keys that line a loaded background map up with the plot: Shift with an
// arrow moves the map by 5 pixels, Ctrl with an arrow shrinks or stretches it by 50 pixels.
// Each key taken repaints the drawing area with only the map and the frame outline.

#include <cstdint>

#include "platform/command_context.h"

namespace ombrix {

// Virtual key codes of the arrow keys.
inline constexpr std::int16_t kKeyLeft = 37;
inline constexpr std::int16_t kKeyUp = 38;
inline constexpr std::int16_t kKeyRight = 39;
inline constexpr std::int16_t kKeyDown = 40;

// Bits of the modifier mask.
inline constexpr std::int16_t kShiftMask = 1;
inline constexpr std::int16_t kCtrlMask = 2;
inline constexpr std::int16_t kAltMask = 4;

// How far one key press moves the map and changes its size, in pixels.
inline constexpr std::int32_t kMapMoveStep = 5;
inline constexpr std::int32_t kMapSizeStep = 50;

// The key handler. `KeyCode` is the virtual key code, `Shift` the modifier mask. With a map
// loaded and Shift alone or Ctrl alone held, applies the arrow's step (other keys change
// nothing), repaints and returns true. Otherwise does nothing and returns false. A step that
// would take a value beyond the 32-bit range is not applied.
bool Form_KeyDown(CommandContext& ctx, std::int16_t KeyCode, std::int16_t Shift);

}  // namespace ombrix
