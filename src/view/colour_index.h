#pragma once
// The menu "色設定": the colour index spread over the data range (relative) or between two
// typed values (absolute). Neither command redraws; the next drawing uses the new setting.
// The check marks of the two items follow ColorIndexMode.

#include <string_view>

#include "platform/command_context.h"

namespace ombrix {

// Title of the colour-index input boxes.
inline constexpr std::string_view kColorIndexTitle = "カラーインデックス設定";
inline constexpr std::string_view kEnterMinimumPrompt = "最小値を入力して下さい";
inline constexpr std::string_view kEnterMaximumPrompt = "最大値を入力して下さい";
// Shown when the maximum typed is not above the minimum.
inline constexpr std::string_view kBoundsOutOfOrder = "値の大小がおかしい";

// "相対カラーインデックス": ColorIndexMode becomes relative; the typed bounds are kept.
void RelativeColorIndex_Click(CommandContext& ctx);

// "絶対カラーインデックス": asks for the minimum and the maximum (each read by its leading
// number). With both answered and the maximum above the minimum, they become AbsoluteMin and
// AbsoluteMax and ColorIndexMode becomes absolute. An empty answer cancels silently; bounds out
// of order show a warning. Either way, and when a typed number is too large for a double
// (error report), the bounds and the mode stay as they were.
void AbsoluteColorIndex_Click(CommandContext& ctx);

}  // namespace ombrix
