#pragma once
// The result window's two field labels, by the method that fills the fields.

#include <cstdint>
#include <string_view>

#include "model/modes.h"

namespace ombrix {

struct FitCaptions {
  std::string_view count;
  std::string_view residual;
};

inline constexpr FitCaptions kRelaxationCaptions{"ＳＯＲ法繰り返し回数", "ＳＯＲ法残差（比率）"};
// The exact solver is a preconditioned conjugate gradient method.
inline constexpr FitCaptions kExactCaptions{"ＣＧ法繰り返し回数", "ＣＧ法残差（比率）"};

inline constexpr FitCaptions CaptionsOf(std::int32_t solver) {
  return solver == kSolverExact ? kExactCaptions : kRelaxationCaptions;
}

}  // namespace ombrix
