#pragma once
// The relationships of a part (its .rels part): which parts it refers to, by id and by type.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sheet/xlsx/zip_archive.h"

namespace ombrix::sheet::xlsx {

struct Relationship {
  std::string id;
  std::string type;    // a URI; compare its last segment (writers use two namespaces)
  std::string target;  // as written
  bool external = false;
};

// The relationships of `source_part` ("" for the package), or nullopt when it has no .rels part.
std::optional<std::vector<Relationship>> ReadRelationships(const ZipArchive& archive,
                                                           std::string_view source_part);

// Whether `relationship` is of the kind named by the last segment of its type URI, such as
// "officeDocument", "worksheet" or "sharedStrings".
bool IsOfKind(const Relationship& relationship, std::string_view kind);

}  // namespace ombrix::sheet::xlsx
