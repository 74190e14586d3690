#include "sheet/xlsx/relationships.h"

#include "sheet/xlsx/part_names.h"
#include "sheet/xlsx/xlsx_error.h"
#include "sheet/xlsx/xml_part.h"

namespace ombrix::sheet::xlsx {

std::optional<std::vector<Relationship>> ReadRelationships(const ZipArchive& archive,
                                                           std::string_view source_part) {
  const std::string rels_part = RelationshipsPartOf(source_part);
  const ZipEntry* entry = archive.Find(rels_part);
  if (entry == nullptr) {
    return std::nullopt;
  }
  const std::unique_ptr<pugi::xml_document> doc =
      ParseXmlPart(archive.Read(*entry), archive.path(), entry->name);
  const pugi::xml_node root = doc->document_element();
  if (LocalName(root.name()) != "Relationships") {
    ThrowBrokenPart(
        archive.path(), entry->name,
        "関係の一覧 (Relationships) ではありません (根の要素が " + Excerpt(root.name()) + ")");
  }
  std::vector<Relationship> relationships;
  for (pugi::xml_node node = root.first_child(); node; node = node.next_sibling()) {
    if (node.type() != pugi::node_element || LocalName(node.name()) != "Relationship") {
      continue;
    }
    Relationship r;
    r.id = AttributeByLocalName(node, "Id").value();
    r.type = AttributeByLocalName(node, "Type").value();
    r.target = AttributeByLocalName(node, "Target").value();
    r.external = std::string_view(AttributeByLocalName(node, "TargetMode").value()) == "External";
    relationships.push_back(std::move(r));
  }
  return relationships;
}

bool IsOfKind(const Relationship& relationship, std::string_view kind) {
  const std::string_view type = relationship.type;
  return type.size() > kind.size() && type.ends_with(kind) &&
         type[type.size() - kind.size() - 1] == '/';
}

}  // namespace ombrix::sheet::xlsx
