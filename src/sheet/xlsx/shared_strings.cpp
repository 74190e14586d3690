#include "sheet/xlsx/shared_strings.h"

#include "sheet/xlsx/excel_escapes.h"
#include "sheet/xlsx/xlsx_error.h"
#include "sheet/xlsx/xml_part.h"

namespace ombrix::sheet::xlsx {
namespace {

// All character data of a <t>, however the parser split it (text and CDATA sections).
void AppendElementText(std::string& out, pugi::xml_node t) {
  for (pugi::xml_node child = t.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
      out += child.value();
    }
  }
}

}  // namespace

std::string StringItemText(const pugi::xml_node& item) {
  std::string raw;
  for (pugi::xml_node child = item.first_child(); child; child = child.next_sibling()) {
    if (child.type() != pugi::node_element) {
      continue;
    }
    const std::string_view name = LocalName(child.name());
    if (name == "t") {
      AppendElementText(raw, child);
    } else if (name == "r") {
      for (pugi::xml_node t = child.first_child(); t; t = t.next_sibling()) {
        if (t.type() == pugi::node_element && LocalName(t.name()) == "t") {
          AppendElementText(raw, t);
        }
      }
    }
    // rPh (a phonetic reading) and phoneticPr are not part of the text.
  }
  return DecodeExcelEscapes(raw);
}

std::vector<std::string> ReadSharedStrings(const std::string& xml, const std::string& path,
                                           const std::string& part) {
  const std::unique_ptr<pugi::xml_document> doc = ParseXmlPart(xml, path, part);
  const pugi::xml_node root = doc->document_element();
  if (LocalName(root.name()) != "sst") {
    ThrowBrokenPart(
        path, part,
        "共有文字列の表 (sst) ではありません (根の要素が " + Excerpt(root.name()) + ")");
  }
  std::vector<std::string> strings;
  for (pugi::xml_node si = root.first_child(); si; si = si.next_sibling()) {
    if (si.type() == pugi::node_element && LocalName(si.name()) == "si") {
      strings.push_back(StringItemText(si));
    }
  }
  return strings;
}

}  // namespace ombrix::sheet::xlsx
