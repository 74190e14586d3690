#pragma once
// Thrown by work that saw the user's stop request at a point where stopping leaves everything
// as it was (a save not yet begun).

namespace ombrix {

struct WorkStopped {};

}  // namespace ombrix
