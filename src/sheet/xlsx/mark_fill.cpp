#include "sheet/xlsx/mark_fill.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "sheet/cell_edit.h"
#include "sheet/xlsx/cell_number.h"
#include "sheet/xlsx/xml_part.h"

namespace ombrix::sheet::xlsx {
namespace {

std::optional<unsigned> Unsigned(pugi::xml_attribute attr) {
  const std::string_view text = TrimXmlSpace(attr.value());
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

// A solid pattern whose foreground is the indexed mark colour and nothing that overrides it.
bool IsMarkFill(pugi::xml_node fill) {
  const pugi::xml_node pattern = ChildByLocalName(fill, "patternFill");
  if (TrimXmlSpace(AttributeByLocalName(pattern, "patternType").value()) != "solid") {
    return false;
  }
  const pugi::xml_node colour = ChildByLocalName(pattern, "fgColor");
  const std::optional<unsigned> indexed = Unsigned(AttributeByLocalName(colour, "indexed"));
  return indexed == static_cast<unsigned>(kMarkColourIndex) &&
         !AttributeByLocalName(colour, "rgb") && !AttributeByLocalName(colour, "theme") &&
         !AttributeByLocalName(colour, "tint");
}

std::vector<pugi::xml_node> Children(pugi::xml_node section, std::string_view local) {
  std::vector<pugi::xml_node> out;
  for (pugi::xml_node child = section.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element && LocalName(child.name()) == local) {
      out.push_back(child);
    }
  }
  return out;
}

}  // namespace

std::vector<bool> MarkedFormats(const std::string& xml, const std::string& path,
                                const std::string& part) {
  if (xml.empty()) {
    return {};
  }
  const auto doc = ParseXmlPart(xml, path, part);
  const pugi::xml_node root = doc->document_element();
  std::vector<bool> fills;
  for (pugi::xml_node fill : Children(ChildByLocalName(root, "fills"), "fill")) {
    fills.push_back(IsMarkFill(fill));
  }
  std::vector<bool> formats;
  for (pugi::xml_node xf : Children(ChildByLocalName(root, "cellXfs"), "xf")) {
    // Without a fillId a format has fill 0.
    const pugi::xml_attribute id = AttributeByLocalName(xf, "fillId");
    const std::optional<unsigned> fill = id ? Unsigned(id) : std::optional<unsigned>(0);
    formats.push_back(fill && *fill < fills.size() && fills[*fill]);
  }
  return formats;
}

}  // namespace ombrix::sheet::xlsx
