#pragma once
// What a call raises: the RunError itself, or just its number (0 when the call succeeds).

#include "model/run_error.h"

namespace ombrix {

template <typename Call>
RunError ErrorOf(Call&& call) {
  try {
    call();
  } catch (const RunError& e) {
    return e;
  }
  return RunError(0, "no error");
}

template <typename Call>
int ErrorNumberOf(Call&& call) {
  return ErrorOf(call).number();
}

}  // namespace ombrix
