#pragma once
// The options that stand for the settings panel and the colour-index menu of a fresh window.

#include <cstdint>
#include <optional>

#include "cli/arguments.h"
#include "cli/headless.h"

namespace ombrix::cli {

// --interval N, --line-width N, --outline, --no-level, --no-redline, --mode
// nothing|easy|normal, --color-range MIN MAX; each only when given. UsageError for a bad value
// (a colour range whose maximum is not above its minimum included).
void ApplyDrawingOptions(const Arguments& args, HeadlessSession& session);

// --divide D: how many times the mesh division divides the drawn list, a whole number of at
// least 1; nothing when not given. UsageError for any other value.
std::optional<std::int32_t> DivisionOption(const Arguments& args);

}  // namespace ombrix::cli
