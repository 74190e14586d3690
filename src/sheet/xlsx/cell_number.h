#pragma once
// Numbers as a sheet part writes them: "1.5", "-3", "1E-006", "4.4270500000000002E4".

#include <optional>
#include <string_view>

namespace ombrix::sheet::xlsx {

// The double nearest to the decimal `text` (surrounding XML white space allowed, a leading "+"
// too). Empty for anything else, and for values no cell can hold (infinite, NaN, overflow).
std::optional<double> ParseCellNumber(std::string_view text);

// `text` without the XML white space around it.
std::string_view TrimXmlSpace(std::string_view text);

}  // namespace ombrix::sheet::xlsx
