#include "sheet/xlsx/xml_part.h"

#include "sheet/xlsx/xlsx_error.h"

namespace ombrix::sheet::xlsx {

std::unique_ptr<pugi::xml_document> ParseXmlPart(const std::string& text, const std::string& path,
                                                 const std::string& part) {
  // A tree costs several times its text; these parts are small in any real workbook, so one
  // that is not (a crafted list of a million sheets or relationships) is refused before the
  // tree is built.
  if (text.size() > kMaxTreePartBytes) {
    ThrowBrokenPart(path, part,
                    std::to_string(text.size()) + " バイトあり、この部品の上限の " +
                        std::to_string(kMaxTreePartBytes / (1024 * 1024)) + " MiB を超えます");
  }
  auto doc = std::make_unique<pugi::xml_document>();
  // The document type node is kept only so it can be seen and refused; pugixml never expands
  // entities other than the predefined and numeric ones.
  // Whitespace-only text is kept where it is an element's only content (a <t> of spaces).
  const unsigned flags = pugi::parse_default | pugi::parse_doctype | pugi::parse_ws_pcdata_single;
  const pugi::xml_parse_result result =
      doc->load_buffer(text.data(), text.size(), flags, pugi::encoding_auto);
  if (!result) {
    ThrowBrokenPart(path, part,
                    std::string("XML として読めません (") + result.description() + "、" +
                        std::to_string(result.offset) + " バイト目)");
  }
  for (pugi::xml_node node = doc->first_child(); node; node = node.next_sibling()) {
    if (node.type() == pugi::node_doctype) {
      ThrowBrokenPart(path, part, "DOCTYPE 宣言を含んでいます (ブックの XML には現れません)");
    }
  }
  if (!doc->document_element()) {
    ThrowBrokenPart(path, part, "XML の要素がありません");
  }
  return doc;
}

std::string_view LocalName(const char* qualified_name) {
  const std::string_view name(qualified_name);
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node ChildByLocalName(pugi::xml_node node, std::string_view local) {
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element && LocalName(child.name()) == local) {
      return child;
    }
  }
  return {};
}

pugi::xml_attribute AttributeByLocalName(pugi::xml_node node, std::string_view local) {
  for (pugi::xml_attribute attr = node.first_attribute(); attr; attr = attr.next_attribute()) {
    const std::string_view name(attr.name());
    if (name == "xmlns" || name.starts_with("xmlns:")) {
      continue;
    }
    if (LocalName(attr.name()) == local) {
      return attr;
    }
  }
  return {};
}

}  // namespace ombrix::sheet::xlsx
