#pragma once
// A complete dump of a workbook for before/after comparisons: every cell of every worksheet
// (value, formula, format and fill apart) and a fingerprint of everything else the file holds.
// .xlsx is read straight from its parts; a shared formula is dumped as the text it means in
// each cell, so moving it to another cell of its range changes nothing. .xls values come from
// FreeXL (an independent reader), formats and formulas from the cell records themselves.

#include <freexl.h>
#include <pugixml.hpp>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/workbook.h"
#include "sheet/xls/biff_record_reader.h"
#include "sheet/xls/ole_stream.h"
#include "sheet/xls/xls_reader.h"
#include "sheet/xls/xls_test_helpers.h"
#include "sheet/xlsx/formula_shift.h"
#include "sheet/xlsx/part_names.h"
#include "sheet/xlsx/relationships.h"
#include "sheet/xlsx/shared_strings.h"
#include "sheet/xlsx/workbook_parts.h"
#include "sheet/xlsx/zip_archive.h"

namespace ombrix::sheet::testing {

struct CellDump {
  std::string value;    // "n:1.5", "s:text", "b:1", "e:#DIV/0!", "" for none
  std::string formula;  // "=A1+1", "array[C10:C14]=...", "" for none
  std::string format;   // everything of the cell format but its fill
  std::string fill;
  std::string independent;  // .xls: what FreeXL reads, "" where it reads nothing
};

struct WorkbookDump {
  std::map<std::string, CellDump> cells;      // "Sheet!A1" (.xls: "0!A1", sheets by number)
  std::map<std::string, std::string> others;  // what is not a cell, by where it is
  // Not compared, for choosing cells to write: the active sheet as cell keys name it, and the
  // first cells of shared formulas and cells of array formulas or tables there.
  std::string active;
  std::vector<std::string> shared_anchors;
  std::vector<std::string> shared_followers;  // later cells of shared formulas
  std::vector<std::string> block_cells;
};

inline std::string NodeText(pugi::xml_node node) {
  std::ostringstream out;
  node.print(out, "", pugi::format_raw);
  return out.str();
}

inline std::string Local(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return std::string(colon == std::string_view::npos ? name : name.substr(colon + 1));
}

inline std::vector<pugi::xml_node> Children(pugi::xml_node node, std::string_view local) {
  std::vector<pugi::xml_node> out;
  for (pugi::xml_node c : node.children()) {
    if (c.type() == pugi::node_element && Local(c.name()) == local) {
      out.push_back(c);
    }
  }
  return out;
}

inline pugi::xml_node Child(pugi::xml_node node, std::string_view local) {
  const std::vector<pugi::xml_node> all = Children(node, local);
  return all.empty() ? pugi::xml_node() : all.front();
}

inline std::string Attr(pugi::xml_node node, std::string_view local) {
  for (pugi::xml_attribute a : node.attributes()) {
    if (Local(a.name()) == local && !std::string_view(a.name()).starts_with("xmlns")) {
      return a.value();
    }
  }
  return {};
}

inline std::string Hash(const std::string& bytes) {
  return std::to_string(bytes.size()) + "/" + std::to_string(std::hash<std::string>{}(bytes));
}

// The cell formats of a style sheet: fill apart from the rest.
struct XlsxFormats {
  std::vector<std::string> format;
  std::vector<std::string> fill;
};

inline XlsxFormats ReadXlsxFormats(const std::string& xml) {
  XlsxFormats out;
  pugi::xml_document doc;
  if (xml.empty() || !doc.load_string(xml.c_str())) {
    return out;
  }
  const pugi::xml_node root = doc.document_element();
  const auto nth = [&](const char* section, const char* item, const std::string& index) {
    const std::vector<pugi::xml_node> items = Children(Child(root, section), item);
    const std::size_t i = index.empty() ? 0 : std::stoul(index);
    return i < items.size() ? NodeText(items[i]) : std::string("(none)");
  };
  std::map<std::string, std::string> num_fmts;
  for (pugi::xml_node f : Children(Child(root, "numFmts"), "numFmt")) {
    num_fmts[Attr(f, "numFmtId")] = Attr(f, "formatCode");
  }
  for (pugi::xml_node xf : Children(Child(root, "cellXfs"), "xf")) {
    std::string format;
    for (pugi::xml_attribute a : xf.attributes()) {
      const std::string name = Local(a.name());
      if (name != "fillId" && name != "applyFill") {
        format += name + "=" + a.value() + " ";
      }
    }
    for (pugi::xml_node child : xf.children()) {
      format += NodeText(child);
    }
    format += " font:" + nth("fonts", "font", Attr(xf, "fontId"));
    format += " border:" + nth("borders", "border", Attr(xf, "borderId"));
    format += " numFmt:" + num_fmts[Attr(xf, "numFmtId")];
    out.format.push_back(format);
    out.fill.push_back(nth("fills", "fill", Attr(xf, "fillId")));
  }
  return out;
}

// The worksheet part without its cells (and without the dimension, which grows with them).
inline std::string SheetWithoutCells(const std::string& xml) {
  pugi::xml_document doc;
  if (!doc.load_string(xml.c_str())) {
    return "unreadable " + Hash(xml);
  }
  pugi::xml_node root = doc.document_element();
  for (const char* local : {"sheetData", "dimension"}) {
    if (pugi::xml_node n = Child(root, local)) {
      root.remove_child(n);
    }
  }
  return NodeText(root);
}

inline void DumpXlsxSheet(const std::string& xml, const std::string& name,
                          const std::vector<std::string>& strings, const XlsxFormats& formats,
                          WorkbookDump& dump) {
  pugi::xml_document doc;
  if (!doc.load_string(xml.c_str())) {
    dump.others["sheet " + name] = "unreadable " + Hash(xml);
    return;
  }
  struct Shared {
    std::string text;
    xlsx::CellRef at;
  };
  std::map<std::string, Shared> shared;
  const pugi::xml_node root = doc.document_element();
  for (pugi::xml_node row : Children(Child(root, "sheetData"), "row")) {
    for (pugi::xml_node c : Children(row, "c")) {
      const std::string ref = Attr(c, "r");
      const std::optional<xlsx::CellRef> at = xlsx::ParseCellRef(ref);
      CellDump cell;
      const std::string t = Attr(c, "t");
      const pugi::xml_node v = Child(c, "v");
      if (t == "inlineStr") {
        cell.value = "s:" + xlsx::StringItemText(Child(c, "is"));
      } else if (v) {
        const std::string text = v.text().get();
        if (t == "s") {
          const std::size_t i = std::stoul(text);
          cell.value = "s:" + (i < strings.size() ? strings[i] : "(bad index)");
        } else if (t.empty() || t == "n") {
          char buffer[40];
          std::snprintf(buffer, sizeof buffer, "n:%.17g", std::strtod(text.c_str(), nullptr));
          cell.value = buffer;
        } else {
          cell.value = (t == "str" ? "s" : t) + ":" + text;
        }
      }
      if (const pugi::xml_node f = Child(c, "f")) {
        const std::string ft = Attr(f, "t");
        const std::string text = f.text().get();
        if (ft == "shared" && at) {
          const std::string si = Attr(f, "si");
          if (!Attr(f, "ref").empty()) {
            shared[si] = {text, *at};
            dump.shared_anchors.push_back(name + "!" + ref);
          } else {
            dump.shared_followers.push_back(name + "!" + ref);
          }
          const auto it = shared.find(si);
          cell.formula = it == shared.end() ? "shared formula without its first cell"
                                            : "=" + xlsx::ShiftFormula(it->second.text,
                                                                       at->row - it->second.at.row,
                                                                       at->col - it->second.at.col);
        } else if (ft.empty() || ft == "normal") {
          cell.formula = "=" + text;
        } else {
          cell.formula = NodeText(f);
          const std::string range = Attr(f, "ref");
          if (range.find(':') != std::string::npos &&
              range.substr(0, range.find(':')) != range.substr(range.find(':') + 1)) {
            dump.block_cells.push_back(name + "!" + range.substr(range.find(':') + 1));
          }
        }
      }
      const std::string s = Attr(c, "s");
      const std::size_t style = s.empty() ? 0 : std::stoul(s);
      cell.format = style < formats.format.size() ? formats.format[style] : "(format " + s + ")";
      cell.fill = style < formats.fill.size() ? formats.fill[style] : "";
      dump.cells[name + "!" + ref] = cell;
    }
  }
  dump.others["sheet " + name] = SheetWithoutCells(xml);
}

inline WorkbookDump DumpXlsx(const std::vector<std::uint8_t>& bytes) {
  WorkbookDump dump;
  const xlsx::ZipArchive archive = xlsx::ZipArchive::OpenBytes(bytes, "dump.xlsx");
  const xlsx::WorkbookParts parts = xlsx::LocateWorkbookParts(archive);
  dump.active = parts.active_sheet_name;
  std::vector<std::string> strings;
  if (!parts.shared_strings.empty()) {
    strings = xlsx::ReadSharedStrings(archive.Read(*archive.Find(parts.shared_strings)),
                                      "dump.xlsx", parts.shared_strings);
  }
  const XlsxFormats formats = ReadXlsxFormats(
      parts.styles.empty() ? std::string() : archive.Read(*archive.Find(parts.styles)));
  std::map<std::string, std::string> targets;
  for (const xlsx::Relationship& r : xlsx::ReadRelationships(archive, parts.workbook)
                                         .value_or(std::vector<xlsx::Relationship>{})) {
    if (!r.external) {
      targets[r.id] = xlsx::ResolveTarget(parts.workbook, r.target).value_or("");
      if (!xlsx::IsOfKind(r, "styles") && !xlsx::IsOfKind(r, "calcChain")) {
        dump.others["relationship " + r.id] = r.type + " " + r.target;
      }
    }
  }
  pugi::xml_document workbook;
  workbook.load_string(archive.Read(*archive.Find(parts.workbook)).c_str());
  std::vector<std::string> sheet_parts;
  for (pugi::xml_node sheet : Children(Child(workbook.document_element(), "sheets"), "sheet")) {
    const std::string part = targets[Attr(sheet, "id")];
    const xlsx::ZipEntry* entry = archive.Find(part);
    if (entry == nullptr) {
      continue;
    }
    const std::string xml = archive.Read(*entry);
    pugi::xml_document probe;
    probe.load_string(xml.c_str());
    if (Local(probe.document_element().name()) == "worksheet") {
      DumpXlsxSheet(xml, Attr(sheet, "name"), strings, formats, dump);
      sheet_parts.push_back(entry->name);
    }
  }
  // Every other part, by its bytes; the content types without the styles part's entry.
  for (const xlsx::ZipEntry& e : archive.entries()) {
    if (e.name == parts.styles || e.name.ends_with("calcChain.xml") ||
        e.name == xlsx::RelationshipsPartOf(parts.workbook) ||
        std::find(sheet_parts.begin(), sheet_parts.end(), e.name) != sheet_parts.end()) {
      continue;
    }
    std::string data = archive.Read(e);
    if (e.name == "[Content_Types].xml") {
      pugi::xml_document types;
      types.load_string(data.c_str());
      data.clear();
      for (pugi::xml_node n : types.document_element().children()) {
        const std::string type = Attr(n, "ContentType");
        if (!type.ends_with(".styles+xml") && !type.ends_with(".calcChain+xml")) {
          data += NodeText(n);
        }
      }
    }
    dump.others["part " + e.name] = Hash(data);
  }
  return dump;
}

inline std::string ValueText(const CellValue& v) {
  char buffer[40];
  switch (v.kind) {
    case CellKind::Number:
      std::snprintf(buffer, sizeof buffer, "n:%.17g", v.number);
      return buffer;
    case CellKind::Text:
      return "s:" + v.text;
    case CellKind::Boolean:
      return v.number != 0 ? "b:1" : "b:0";
    case CellKind::Error:
      return "e:" + v.text;
    default:
      return "";
  }
}

// .xls: our reader's values of the active sheet, FreeXL's of every worksheet (FreeXL reads
// nothing of some writers' files, and trusts a sheet's stated dimensions), the cell records'
// formats and formulas.
inline WorkbookDump DumpXls(const std::vector<std::uint8_t>& bytes) {
  WorkbookDump dump;
  const xls::testing::FreeXlBook book(bytes);
  if (book.h != nullptr) {
    const void* h = book.h;
    unsigned int sheets = 0;
    freexl_get_info(h, FREEXL_BIFF_SHEET_COUNT, &sheets);
    for (unsigned short s = 0; s < sheets; ++s) {
      unsigned int rows = 0;
      unsigned short cols = 0;
      if (freexl_select_active_worksheet(h, s) != FREEXL_OK ||
          freexl_worksheet_dimensions(h, &rows, &cols) != FREEXL_OK) {
        dump.others["freexl sheet " + std::to_string(s)] = "unreadable";
        continue;
      }
      for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < cols; ++c) {
          FreeXL_CellValue v;
          if (freexl_get_cell_value(h, r, c, &v) != FREEXL_OK || v.type == FREEXL_CELL_NULL) {
            continue;
          }
          const bool whole = v.type == FREEXL_CELL_INT;
          const std::string value =
              whole || v.type == FREEXL_CELL_DOUBLE
                  ? ValueText(CellValue::Number(whole ? v.value.int_value : v.value.double_value))
                  : std::string("t:") + (v.value.text_value ? v.value.text_value : "");
          dump.cells[std::to_string(s) + "!" + CellName(static_cast<int>(r) + 1, c + 1)]
              .independent = value;
        }
      }
    }
  } else if (book.code != FREEXL_OK) {
    dump.others["freexl"] = "cannot open";
  }

  // Formats and formulas straight from the cell records of each worksheet substream; the
  // active tab from WINDOW1 and the sheet list, as a worksheet number ("chart" when the tab is
  // not a worksheet).
  const std::vector<std::uint8_t> stream = xls::ReadWorkbookStream(bytes);
  xls::BiffRecordReader reader(stream, 0);
  xls::BiffRecord record;
  int substream = -1;  // worksheet number, -1 in the globals or another kind of substream
  int worksheets = 0;
  int depth = 0;
  int active_tab = 0;
  std::vector<bool> tab_is_worksheet;
  std::uint16_t next_type = 0;
  while ((depth > 0 || (reader.PeekType(next_type) && next_type == xls::rec::kBof)) &&
         reader.Next(record)) {
    if (record.type == xls::rec::kBof) {
      ++depth;
      const bool worksheet = record.body.size() >= 4 && xls::U16(record.body, 2, "BOF") == 0x0010;
      substream = worksheet ? worksheets++ : -1;
      continue;
    }
    if (record.type == xls::rec::kEof) {
      --depth;
      substream = -1;
      continue;
    }
    if (record.type == xls::rec::kWindow1 && substream < 0 && record.body.size() >= 12) {
      active_tab = xls::U16(record.body, 10, "WINDOW1");
    }
    if (record.type == xls::rec::kBoundSheet && record.body.size() >= 6) {
      tab_is_worksheet.push_back(record.body[5] == 0);
    }
    if (substream < 0 || record.body.size() < 6) {
      continue;
    }
    const int row = xls::U16(record.body, 0, "cell") + 1;
    const int col = xls::U16(record.body, 2, "cell") + 1;
    const auto at = [&](int c) { return std::to_string(substream) + "!" + CellName(row, c); };
    switch (record.type) {
      case xls::rec::kNumber:
      case xls::rec::kLabelSst:
      case xls::rec::kLabel:
      case xls::rec::kBoolErr:
      case xls::rec::kBlank:
      case xls::rec::kRk:
      case xls::rec::kRString:
        dump.cells[at(col)].format = "xf " + std::to_string(xls::U16(record.body, 4, "cell"));
        break;
      case xls::rec::kFormula: {
        CellDump& cell = dump.cells[at(col)];
        cell.format = "xf " + std::to_string(xls::U16(record.body, 4, "cell"));
        // A formula of a shared or array group points at its group's first cell; the rest is
        // the formula's own tokens.
        std::string tokens;
        for (std::size_t i = 20; i < record.body.size(); ++i) {
          tokens += std::to_string(record.body[i]) + ",";
        }
        const bool group = record.body.size() >= 23 && record.body[22] == 0x01;
        cell.formula = group ? "formula of a group" : "tokens " + tokens;
        break;
      }
      case xls::rec::kMulRk:
      case xls::rec::kMulBlank: {
        const std::size_t step = record.type == xls::rec::kMulRk ? 6 : 2;
        for (std::size_t i = 0; 4 + (i + 1) * step + 2 <= record.body.size(); ++i) {
          dump.cells[at(col + static_cast<int>(i))].format =
              "xf " + std::to_string(xls::U16(record.body, 4 + i * step, "MUL"));
        }
        break;
      }
      default:
        break;
    }
  }
  if (active_tab < static_cast<int>(tab_is_worksheet.size()) && tab_is_worksheet[active_tab]) {
    dump.active = std::to_string(
        std::count(tab_is_worksheet.begin(), tab_is_worksheet.begin() + active_tab, true));
    ReadXlsBytes(bytes, "dump.xls")->cells().ForEach([&](int row, int col, const CellValue& v) {
      dump.cells[dump.active + "!" + CellName(row, col)].value = ValueText(v);
    });
  } else {
    dump.active = "chart";
  }
  return dump;
}

inline WorkbookDump DumpWorkbook(const std::vector<std::uint8_t>& bytes) {
  static constexpr std::uint8_t kOle2[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  const bool xls = bytes.size() >= 8 && std::equal(kOle2, kOle2 + 8, bytes.begin());
  return xls ? DumpXls(bytes) : DumpXlsx(bytes);
}

}  // namespace ombrix::sheet::testing
