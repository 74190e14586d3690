#include "cli/drawing_options.h"

#include <cmath>
#include <limits>

#include "model/modes.h"
#include "model/numeric.h"
#include "model/run_error.h"

namespace ombrix::cli {

void ApplyDrawingOptions(const Arguments& args, HeadlessSession& session) {
  PanelState& panel = session.panel;
  if (args.Has("--interval")) {
    panel.Text1 = std::to_string(WholeNumberOption(args, "--interval", 1));
  }
  if (args.Has("--line-width")) {
    panel.Text2 = std::to_string(WholeNumberOption(args, "--line-width", 1));
  }
  if (args.Has("--outline")) {
    panel.Check1 = 1;
  }
  if (args.Has("--no-level")) {
    panel.Check2 = 0;
  }
  if (args.Has("--no-redline")) {
    panel.Check3 = 0;
  }
  if (const std::optional<std::string> mode = args.Value("--mode")) {
    panel.Option1 = *mode == "nothing";
    panel.Option2 = *mode == "easy";
    panel.Option3 = *mode == "normal";
    if (!panel.Option1 && !panel.Option2 && !panel.Option3) {
      throw UsageError("--mode takes nothing, easy or normal, not '" + *mode + "'");
    }
  }
  if (args.Has("--color-range")) {
    // As if typed into the two input boxes of the absolute colour index.
    const std::vector<std::string>& bounds = args.options.at("--color-range");
    double low = 0;
    double high = 0;
    try {
      low = LeadingNumber(bounds.at(0));
      high = LeadingNumber(bounds.at(1));
    } catch (const RunError&) {  // beyond the range of a double
      throw UsageError("--color-range needs two numbers within the range of a double, not '" +
                       bounds.at(0) + "' '" + bounds.at(1) + "'");
    }
    if (!std::isfinite(low) || !std::isfinite(high) || !std::isfinite(high - low)) {
      throw UsageError("--color-range needs two finite numbers whose difference is finite, not '" +
                       bounds.at(0) + "' '" + bounds.at(1) + "'");
    }
    if (!(high > low)) {
      throw UsageError("--color-range needs a maximum above its minimum");
    }
    session.window.AbsoluteMin = low;
    session.window.AbsoluteMax = high;
    session.model.ColorIndexMode = kAbsoluteColorIndex;
  }
}

std::optional<std::int32_t> DivisionOption(const Arguments& args) {
  if (!args.Has("--divide")) {
    return std::nullopt;
  }
  const long divisions = WholeNumberOption(args, "--divide", 1);
  if (divisions < 1 || divisions > std::numeric_limits<std::int32_t>::max()) {
    throw UsageError("--divide needs a whole number of at least 1, not '" +
                     *args.Value("--divide") + "'");
  }
  return static_cast<std::int32_t>(divisions);
}

}  // namespace ombrix::cli
