#include "sheet/xlsx/workbook_parts.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <vector>

#include "model/run_error.h"
#include "sheet/active_chart_message.h"
#include "sheet/read_limits.h"
#include "sheet/refusal_reasons.h"
#include "sheet/xlsx/part_names.h"
#include "sheet/xlsx/relationships.h"
#include "sheet/xlsx/xlsx_error.h"
#include "sheet/xlsx/xml_part.h"

namespace ombrix::sheet::xlsx {
namespace {

constexpr const char* kDefaultWorkbookPart = "xl/workbook.xml";

bool EndsWithBin(std::string_view part) {
  const std::string_view ext = ".bin";
  return part.size() >= ext.size() &&
         std::equal(ext.begin(), ext.end(), part.end() - ext.size(), [](char e, char c) {
           return e == std::tolower(static_cast<unsigned char>(c));
         });
}

// An .xlsb is a sound workbook, only not one we read: said so, never called broken.
[[noreturn]] void ThrowBinaryWorkbook(const std::string& path) {
  throw RunError(err::kBadFileFormat,
                 "ファイル \"" + path + "\" は読み込めません: " + reason::kBinaryWorkbook);
}

// The workbook part named by the package's officeDocument relationship, else the usual name.
std::string FindWorkbookPart(const ZipArchive& archive) {
  const std::optional<std::vector<Relationship>> package = ReadRelationships(archive, "");
  if (package) {
    for (const Relationship& r : *package) {
      if (!IsOfKind(r, "officeDocument") || r.external) {
        continue;
      }
      const std::optional<std::string> part = ResolveTarget("", r.target);
      if (!part) {
        ThrowBrokenPart(archive.path(), "_rels/.rels",
                        "ブック本体への参照先 \"" + Excerpt(r.target) + "\" が不正です");
      }
      if (EndsWithBin(*part)) {
        ThrowBinaryWorkbook(archive.path());
      }
      if (archive.Find(*part) == nullptr) {
        ThrowNotWorkbook(archive.path(),
                         "_rels/.rels が指すブック本体 " + Excerpt(*part) + " がありません");
      }
      return archive.Find(*part)->name;
    }
  }
  const ZipEntry* fallback = archive.Find(kDefaultWorkbookPart);
  if (fallback == nullptr) {
    if (archive.Find("xl/workbook.bin") != nullptr) {
      ThrowBinaryWorkbook(archive.path());
    }
    ThrowNotWorkbook(archive.path(), std::string(kDefaultWorkbookPart) + " がありません");
  }
  return fallback->name;
}

bool IsTrue(std::string_view value) {
  return value == "1" || value == "true";
}

std::size_t ActiveTab(pugi::xml_node workbook, const std::string& path, const std::string& part) {
  const pugi::xml_node view =
      ChildByLocalName(ChildByLocalName(workbook, "bookViews"), "workbookView");
  const pugi::xml_attribute attr = AttributeByLocalName(view, "activeTab");
  if (!attr) {
    return 0;
  }
  const std::string_view text = attr.value();
  std::size_t tab = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), tab);
  if (ec != std::errc() || end != text.data() + text.size()) {
    ThrowBrokenPart(path, part, "activeTab の値 \"" + Excerpt(text) + "\" が整数ではありません");
  }
  return tab;
}

}  // namespace

WorkbookParts LocateWorkbookParts(const ZipArchive& archive) {
  const std::string& path = archive.path();
  WorkbookParts parts;
  parts.workbook = FindWorkbookPart(archive);
  const std::unique_ptr<pugi::xml_document> doc =
      ParseXmlPart(archive.Read(*archive.Find(parts.workbook)), path, parts.workbook);
  const pugi::xml_node workbook = doc->document_element();
  if (LocalName(workbook.name()) != "workbook") {
    ThrowNotWorkbook(path, parts.workbook + " の根の要素が workbook ではありません (" +
                               Excerpt(workbook.name()) + ")");
  }
  parts.date1904 =
      IsTrue(AttributeByLocalName(ChildByLocalName(workbook, "workbookPr"), "date1904").value());

  std::vector<pugi::xml_node> sheets;
  for (pugi::xml_node node = ChildByLocalName(workbook, "sheets").first_child(); node;
       node = node.next_sibling()) {
    if (node.type() == pugi::node_element && LocalName(node.name()) == "sheet") {
      if (sheets.size() >= kMaxSheets) {
        throw RunError(err::kBadFileFormat,
                       "ファイル \"" + path + "\" は読み込めません: " + parts.workbook +
                           " のシートが上限の " + std::to_string(kMaxSheets) + " 枚を超えています");
      }
      sheets.push_back(node);
    }
  }
  if (sheets.empty()) {
    ThrowBrokenPart(path, parts.workbook, "シートが 1 枚もありません");
  }
  const std::size_t tab = ActiveTab(workbook, path, parts.workbook);
  if (tab >= sheets.size()) {
    ThrowBrokenPart(path, parts.workbook,
                    "アクティブなシートの番号 activeTab=" + std::to_string(tab) +
                        " に当たるシートがありません (シートは " + std::to_string(sheets.size()) +
                        " 枚)");
  }
  const pugi::xml_node sheet = sheets[tab];
  parts.active_sheet_name = AttributeByLocalName(sheet, "name").value();
  parts.active_sheet_id = AttributeByLocalName(sheet, "sheetId").value();
  const std::string quoted_name = "シート \"" + Excerpt(parts.active_sheet_name) + "\"";
  const std::string id = AttributeByLocalName(sheet, "id").value();
  if (id.empty()) {
    ThrowBrokenPart(path, parts.workbook, quoted_name + " に部品への参照 (r:id) がありません");
  }

  const std::string rels_part = RelationshipsPartOf(parts.workbook);
  const std::optional<std::vector<Relationship>> rels = ReadRelationships(archive, parts.workbook);
  if (!rels) {
    ThrowNotWorkbook(path, rels_part + " がありません");
  }
  const Relationship* sheet_rel = nullptr;
  for (const Relationship& r : *rels) {
    if (r.id == id) {
      sheet_rel = &r;
      break;
    }
  }
  if (sheet_rel == nullptr) {
    ThrowBrokenPart(path, rels_part,
                    quoted_name + " の参照 " + Excerpt(id) + " に当たる関係がありません");
  }
  if (IsOfKind(*sheet_rel, "chartsheet")) {
    throw RunError(err::kBadFileFormat, "ファイル \"" + path + "\" は読み込めません: " +
                                            ActiveChartMessage(Excerpt(parts.active_sheet_name)));
  }
  if (!IsOfKind(*sheet_rel, "worksheet")) {
    ThrowNotWorkbook(
        path, "アクティブな" + quoted_name + " はワークシートではありません (グラフシートなど)");
  }
  const std::optional<std::string> sheet_part =
      sheet_rel->external ? std::nullopt : ResolveTarget(parts.workbook, sheet_rel->target);
  if (!sheet_part) {
    ThrowBrokenPart(path, rels_part,
                    quoted_name + " の参照先 \"" + Excerpt(sheet_rel->target) + "\" が不正です");
  }
  const ZipEntry* sheet_entry = archive.Find(*sheet_part);
  if (sheet_entry == nullptr) {
    ThrowNotWorkbook(path, quoted_name + " の部品 " + Excerpt(*sheet_part) + " がありません");
  }
  parts.active_sheet = sheet_entry->name;

  for (const Relationship& r : *rels) {
    const bool strings = IsOfKind(r, "sharedStrings");
    if ((!strings && !IsOfKind(r, "styles")) || r.external) {
      continue;
    }
    const std::optional<std::string> part = ResolveTarget(parts.workbook, r.target);
    const ZipEntry* entry = part ? archive.Find(*part) : nullptr;
    if (entry == nullptr) {
      ThrowBrokenPart(path, rels_part,
                      std::string(strings ? "共有文字列" : "書式") + "の部品 \"" +
                          Excerpt(r.target) + "\" がありません");
    }
    (strings ? parts.shared_strings : parts.styles) = entry->name;
  }
  // Some writers leave the table out of the relationships; its usual name still finds it.
  if (parts.shared_strings.empty()) {
    if (const ZipEntry* entry = archive.Find("xl/sharedStrings.xml")) {
      parts.shared_strings = entry->name;
    }
  }
  return parts;
}

}  // namespace ombrix::sheet::xlsx
