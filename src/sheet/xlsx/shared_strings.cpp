#include "sheet/xlsx/shared_strings.h"

#include <pugixml.hpp>

#include <algorithm>
#include <tuple>

#include "model/run_error.h"
#include "sheet/read_limits.h"
#include "sheet/xlsx/excel_escapes.h"
#include "sheet/xlsx/xlsx_error.h"
#include "sheet/xlsx/xml_part.h"
#include "sheet/xlsx/xml_scanner.h"

namespace ombrix::sheet::xlsx {
namespace {

std::string_view Local(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

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

std::size_t ScanSharedStrings(std::string_view xml, const std::string& path,
                              const std::string& part,
                              const std::function<bool(std::size_t)>& wanted,
                              const std::function<void(std::size_t, std::string)>& take) {
  XmlScanner scanner(xml, path, part);
  std::size_t count = 0;
  bool keep = false;     // inside an si the caller wants
  bool in_run = false;   // inside its <r>
  bool in_text = false;  // inside its <t> or <r><t>; a phonetic reading's <t> is not text
  std::string raw;
  while (true) {
    switch (scanner.Next()) {
      case XmlScanner::Event::kEndOfDocument:
        return count;
      case XmlScanner::Event::kStart: {
        const std::string_view local = Local(scanner.name());
        const std::size_t depth = scanner.depth();
        if (depth == 1) {
          if (local != "sst") {
            scanner.Fail("共有文字列の表 (sst) ではありません (根の要素が " +
                         Excerpt(scanner.name()) + ")");
          }
        } else if (depth == 2 && local == "si") {
          if (count >= kMaxSharedStrings) {
            scanner.Fail("共有文字列が上限の " + std::to_string(kMaxSharedStrings) +
                         " 個を超えています");
          }
          keep = wanted(count);
          raw.clear();
        } else if (keep && depth == 3) {
          in_run = local == "r";
          in_text = local == "t";
        } else if (keep && depth == 4 && in_run) {
          in_text = local == "t";
        }
        break;
      }
      case XmlScanner::Event::kEnd:
        // The element has been closed: depth() no longer counts it.
        if (scanner.depth() == 1 && Local(scanner.name()) == "si") {
          if (keep) {
            take(count, DecodeExcelEscapes(raw));
          }
          keep = false;
          ++count;
        } else if (scanner.depth() == 2) {
          in_run = false;
          in_text = false;
        } else if (scanner.depth() == 3) {
          in_text = false;
        }
        break;
      case XmlScanner::Event::kText:
        if (in_text) {
          scanner.AppendText(raw);
        }
        break;
    }
  }
}

std::vector<std::string> ReadSharedStrings(const std::string& xml, const std::string& path,
                                           const std::string& part) {
  std::vector<std::string> strings;
  ScanSharedStrings(
      xml, path, part, [](std::size_t) { return true; },
      [&](std::size_t, std::string text) { strings.push_back(std::move(text)); });
  return strings;
}

void CheckTextLimit(const CellStore& cells, std::size_t text_limit, const std::string& path,
                    const std::string& part) {
  if (cells.text_bytes() > text_limit) {
    throw RunError(err::kBadFileFormat,
                   "ファイル \"" + path + "\" は読み込めません: " + part +
                       " のセルの文字列が合わせて " + std::to_string(text_limit) +
                       " バイト (ファイルの大きさの 64 倍か 256 MiB の小さい方) を超えます");
  }
}

void FillSharedStrings(std::string_view xml, const std::string& path, const std::string& part,
                       const std::string& sheet_part, const SharedStringUses& uses,
                       std::size_t text_limit, CellStore& cells) {
  if (uses.empty()) {
    return;  // a table the sheet does not use is not read at all
  }
  std::size_t count = 0;
  if (!part.empty()) {
    count = ScanSharedStrings(
        xml, path, part, [&](std::size_t index) { return uses.contains(index); },
        [&](std::size_t index, std::string text) {
          cells.ReplaceText(uses.at(index).text_id, std::move(text));
          CheckTextLimit(cells, text_limit, path, part);
        });
  }
  // The first cell (in reading order of rows and columns) that points past the table's end.
  const std::pair<const std::uint32_t, SharedStringUse>* beyond = nullptr;
  for (const auto& use : uses) {
    if (use.first >= count &&
        (beyond == nullptr || std::tie(use.second.row, use.second.col) <
                                  std::tie(beyond->second.row, beyond->second.col))) {
      beyond = &use;
    }
  }
  if (beyond != nullptr) {
    ThrowBrokenPart(path, sheet_part,
                    "セル " + CellName(beyond->second.row, beyond->second.col) + " が共有文字列 " +
                        std::to_string(beyond->first) + " 番を指していますが、共有文字列は " +
                        std::to_string(count) + " 個しかありません");
  }
}

}  // namespace ombrix::sheet::xlsx
