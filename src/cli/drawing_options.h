#pragma once
// The options that stand for the settings panel and the colour-index menu of a fresh window.

#include "cli/arguments.h"
#include "cli/headless.h"

namespace ombrix::cli {

// --interval N, --line-width N, --outline, --no-level, --no-redline, --mode
// nothing|easy|normal, --color-range MIN MAX; each only when given. UsageError for a bad value
// (a colour range whose maximum is not above its minimum included).
void ApplyDrawingOptions(const Arguments& args, HeadlessSession& session);

}  // namespace ombrix::cli
