#pragma once
// Names of the parts inside a package: relationship targets resolved to entry names.

#include <optional>
#include <string>
#include <string_view>

namespace ombrix::sheet::xlsx {

// The entry name a relationship of `source_part` points at. `source_part` is "" for the
// package's own relationships. A target starting with "/" counts from the package root, any
// other from the source part's folder; "." and ".." steps and %HH escapes are resolved. Empty
// when the target leaves the package or is malformed.
std::optional<std::string> ResolveTarget(std::string_view source_part, std::string_view target);

// The relationships part of `part`: "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels", and
// "" (the package) -> "_rels/.rels".
std::string RelationshipsPartOf(std::string_view part);

}  // namespace ombrix::sheet::xlsx
