#pragma once
// The small XML parts (relationships, workbook, styles, content types) parsed with pugixml, safely:
// a document type declaration is refused, so no entity can be defined or expanded. Elements and
// attributes are matched by local name, whatever prefix a writer chose.

#include <pugixml.hpp>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace ombrix::sheet::xlsx {

inline constexpr std::size_t kMaxTreePartBytes = std::size_t{64} * 1024 * 1024;

// Parses `text`, the content of entry `part` of the file `path`. Error 321 naming both when the
// XML is malformed, declares a document type, or is longer than kMaxTreePartBytes.
std::unique_ptr<pugi::xml_document> ParseXmlPart(const std::string& text, const std::string& path,
                                                 const std::string& part);

// "x:row" -> "row".
std::string_view LocalName(const char* qualified_name);
// The first child element of `node` with the local name `local`.
pugi::xml_node ChildByLocalName(pugi::xml_node node, std::string_view local);
// The attribute of `node` with the local name `local` (namespace declarations excluded).
pugi::xml_attribute AttributeByLocalName(pugi::xml_node node, std::string_view local);

}  // namespace ombrix::sheet::xlsx
