#pragma once
// Values of the mode variables chosen in the menus and in the settings panel.

#include <cstdint>

namespace ombrix {

// ColorIndexMode
inline constexpr std::int32_t kRelativeColorIndex = 0;
inline constexpr std::int32_t kAbsoluteColorIndex = 1;

// InitialValueMode
inline constexpr std::int32_t kInitialWeightedFivePoint = 0;
inline constexpr std::int32_t kInitialAverage = 1;

// InfoDisplayMode
inline constexpr std::int32_t kInfoNone = 0;
inline constexpr std::int32_t kInfoAll = 1;
inline constexpr std::int32_t kInfoResidual = 2;

// OptimizeSolver
inline constexpr std::int32_t kSolverRelaxation = 0;
inline constexpr std::int32_t kSolverExact = 1;

// ColorMode, from the option buttons "Nothing", "Easy", "Normal"
inline constexpr std::int32_t kColorNothing = 0;
inline constexpr std::int32_t kColorEasy = 1;
inline constexpr std::int32_t kColorNormal = 2;

// PrinterOutput
inline constexpr std::int32_t kPrinterOn = 1;
inline constexpr std::int32_t kPrinterOff = -1;

// MapLoaded
inline constexpr std::int32_t kMapLoaded = 1;

// Smallest outer width of the main window, in pixels, that shrinking the view leaves.
inline constexpr std::int32_t kMinFormWidth = 832;

}  // namespace ombrix
