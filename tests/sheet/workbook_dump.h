#pragma once
// A dump of a workbook for before/after comparisons: every cell of every worksheet (value,
// formula, format and fill apart) and everything else it holds. Cells are read straight from
// the sheet XML (.xlsx), or by FreeXL and from the cell records (.xls), not by our readers.

#include <freexl.h>
#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "sheet/xls/ole_stream.h"
#include "sheet/xls/xls_test_helpers.h"
#include "sheet/xlsx/cell_ref.h"
#include "sheet/xlsx/formula_shift.h"
#include "sheet/xlsx/part_names.h"
#include "sheet/xlsx/relationships.h"
#include "sheet/xlsx/shared_strings.h"
#include "sheet/xlsx/workbook_parts.h"

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
  // Not compared, for choosing cells to write: the active sheet as cell keys name it, and cells
  // of formulas over several cells (the first, or for later shared cells the last, of each kind).
  std::string active;
  std::map<std::string, std::string> formula_cells;
};

inline std::string NodeText(pugi::xml_node node) {
  std::ostringstream out;
  node.print(out, "", pugi::format_raw);
  return out.str();
}

inline std::string Local(std::string_view name) {
  return std::string(name.substr(name.rfind(':') + 1));  // npos + 1 is 0: the whole name
}

inline std::vector<pugi::xml_node> Children(pugi::xml_node node, std::string_view local) {
  std::vector<pugi::xml_node> out;
  for (pugi::xml_node c : node.children())
    if (c.type() == pugi::node_element && Local(c.name()) == local)
      out.push_back(c);
  return out;
}

inline pugi::xml_node Child(pugi::xml_node node, std::string_view local) {
  const std::vector<pugi::xml_node> all = Children(node, local);
  return all.empty() ? pugi::xml_node() : all.front();
}

inline std::string Attr(pugi::xml_node node, std::string_view local) {
  for (pugi::xml_attribute a : node.attributes())
    if (Local(a.name()) == local && !std::string_view(a.name()).starts_with("xmlns"))
      return a.value();
  return {};
}

inline std::string Num(double v) {  // the shortest text that reads back as the same double
  char buffer[32];
  return "n:" + std::string(buffer, std::to_chars(buffer, std::end(buffer), v).ptr);
}

// The cell formats of a style sheet, each as everything but its fill, and its fill.
using XlsxFormats = std::vector<std::pair<std::string, std::string>>;

inline XlsxFormats ReadXlsxFormats(const std::string& xml) {
  XlsxFormats out;
  pugi::xml_document doc;
  if (xml.empty() || !doc.load_string(xml.c_str()))
    return out;
  const pugi::xml_node root = doc.document_element();
  const auto nth = [&](const char* section, const char* item, const std::string& index) {
    const std::vector<pugi::xml_node> items = Children(Child(root, section), item);
    const std::size_t i = index.empty() ? 0 : std::stoul(index);
    return i < items.size() ? NodeText(items[i]) : std::string("(none)");
  };
  std::map<std::string, std::string> num_fmts;
  for (pugi::xml_node f : Children(Child(root, "numFmts"), "numFmt"))
    num_fmts[Attr(f, "numFmtId")] = Attr(f, "formatCode");
  for (pugi::xml_node xf : Children(Child(root, "cellXfs"), "xf")) {
    std::string format;
    for (pugi::xml_attribute a : xf.attributes())
      if (Local(a.name()) != "fillId" && Local(a.name()) != "applyFill")
        format += Local(a.name()) + "=" + a.value() + " ";
    for (pugi::xml_node child : xf.children())
      format += NodeText(child);
    out.emplace_back(format + " font:" + nth("fonts", "font", Attr(xf, "fontId")) +
                         " border:" + nth("borders", "border", Attr(xf, "borderId")) +
                         " numFmt:" + num_fmts[Attr(xf, "numFmtId")],
                     nth("fills", "fill", Attr(xf, "fillId")));
  }
  return out;
}

// The cells into `dump`, the rest of the part (less the dimension, which grows with them) as one
// of its others; false for a chart or dialog sheet or a part that does not parse.
inline bool DumpXlsxSheet(const std::string& xml, const std::string& name,
                          const std::vector<std::string>& strings, const XlsxFormats& formats,
                          WorkbookDump& dump) {
  pugi::xml_document doc;
  if (!doc.load_string(xml.c_str()) || Local(doc.document_element().name()) != "worksheet")
    return false;
  std::map<std::string, std::pair<std::string, xlsx::CellRef>> shared;  // si: text, first cell
  pugi::xml_node root = doc.document_element();
  for (pugi::xml_node row : Children(Child(root, "sheetData"), "row"))
    for (pugi::xml_node c : Children(row, "c")) {
      const std::string key = name + "!" + Attr(c, "r");
      const std::optional<xlsx::CellRef> at = xlsx::ParseCellRef(Attr(c, "r"));
      CellDump& cell = dump.cells[key] = {};
      const std::string t = Attr(c, "t");
      const std::string v = Child(c, "v").text().get();
      if (t == "inlineStr") {
        cell.value = "s:" + xlsx::StringItemText(Child(c, "is"));
      } else if (Child(c, "v") && t == "s") {
        const std::size_t i = std::stoul(v);
        cell.value = "s:" + (i < strings.size() ? strings[i] : "(bad index)");
      } else if (Child(c, "v")) {
        const bool number = t.empty() || t == "n";
        cell.value =
            number ? Num(std::strtod(v.c_str(), nullptr)) : (t == "str" ? "s" : t) + ":" + v;
      }
      const pugi::xml_node f = Child(c, "f");
      const std::string ft = Attr(f, "t");
      const std::string range = Attr(f, "ref");
      if (f && ft == "shared" && at) {
        const std::string si = Attr(f, "si");
        if (range.empty()) {
          dump.formula_cells["shared formula's later cell"] = key;
        } else {
          shared[si] = {f.text().get(), *at};
          dump.formula_cells.emplace("shared formula's first cell", key);
        }
        // The text the formula means here: moving its first cell within the range changes nothing.
        if (const auto it = shared.find(si); it == shared.end()) {
          cell.formula = "shared formula without its first cell";
        } else {
          const auto& [text, first] = it->second;
          cell.formula = "=" + xlsx::ShiftFormula(text, at->row - first.row, at->col - first.col);
        }
      } else if (f && (ft.empty() || ft == "normal")) {
        cell.formula = "=" + std::string(f.text().get());
      } else if (f) {
        cell.formula = NodeText(f);
        const std::size_t colon = range.find(':');
        if (colon != std::string::npos && range.substr(0, colon) != range.substr(colon + 1))
          dump.formula_cells.emplace("array or table cell", name + "!" + range.substr(colon + 1));
      }
      const std::string s = Attr(c, "s");
      const std::size_t style = s.empty() ? 0 : std::stoul(s);
      cell.format = style < formats.size() ? formats[style].first : "(format " + s + ")";
      cell.fill = style < formats.size() ? formats[style].second : "";
    }
  for (const char* local : {"sheetData", "dimension"})
    root.remove_child(Child(root, local));
  dump.others["sheet " + name] = NodeText(root);
  return true;
}

inline WorkbookDump DumpXlsx(const std::vector<std::uint8_t>& bytes) {
  WorkbookDump dump;
  const xlsx::ZipArchive archive = xlsx::ZipArchive::OpenBytes(bytes, "dump.xlsx");
  const xlsx::WorkbookParts parts = xlsx::LocateWorkbookParts(archive);
  const auto read = [&](const std::string& part) {
    return part.empty() ? std::string() : archive.Read(*archive.Find(part));
  };
  dump.active = parts.active_sheet_name;
  std::vector<std::string> strings;
  if (!parts.shared_strings.empty())
    strings =
        xlsx::ReadSharedStrings(read(parts.shared_strings), "dump.xlsx", parts.shared_strings);
  const XlsxFormats formats = ReadXlsxFormats(read(parts.styles));
  std::map<std::string, std::string> targets;
  for (const xlsx::Relationship& r : xlsx::ReadRelationships(archive, parts.workbook)
                                         .value_or(std::vector<xlsx::Relationship>{})) {
    targets[r.id] = xlsx::ResolveTarget(parts.workbook, r.target).value_or("");
    if (!xlsx::IsOfKind(r, "styles") && !xlsx::IsOfKind(r, "calcChain"))
      dump.others["relationship " + r.id] = r.type + " " + r.target;
  }
  pugi::xml_document workbook;
  workbook.load_string(read(parts.workbook).c_str());
  std::vector<std::string> sheet_parts;
  for (pugi::xml_node sheet : Children(Child(workbook.document_element(), "sheets"), "sheet")) {
    const xlsx::ZipEntry* entry = archive.Find(targets[Attr(sheet, "id")]);
    if (entry && DumpXlsxSheet(archive.Read(*entry), Attr(sheet, "name"), strings, formats, dump))
      sheet_parts.push_back(entry->name);
  }
  // Every other part as it is; the content types without the styles part's entry.
  for (const xlsx::ZipEntry& e : archive.entries()) {
    if (e.name == parts.styles || e.name.ends_with("calcChain.xml") ||
        e.name == xlsx::RelationshipsPartOf(parts.workbook) ||
        std::ranges::find(sheet_parts, e.name) != sheet_parts.end())
      continue;
    std::string data = archive.Read(e);
    if (e.name == "[Content_Types].xml") {
      pugi::xml_document types;
      types.load_string(data.c_str());
      data.clear();
      for (pugi::xml_node n : types.document_element().children()) {
        const std::string type = Attr(n, "ContentType");
        if (!type.ends_with(".styles+xml") && !type.ends_with(".calcChain+xml"))
          data += NodeText(n);
      }
    }
    dump.others["part " + e.name] = data;
  }
  return dump;
}

// .xls: FreeXL's values of every worksheet (it reads nothing of some writers' files, and trusts
// a sheet's stated dimensions), the cell records' formats and formulas. Our own reader's values
// are not dumped: every write already reads its result back and compares them.
inline WorkbookDump DumpXls(const std::vector<std::uint8_t>& bytes) {
  WorkbookDump dump;
  const xls::testing::FreeXlBook book(bytes);
  unsigned int sheets = 0;
  if (book.h != nullptr)
    freexl_get_info(book.h, FREEXL_BIFF_SHEET_COUNT, &sheets);
  else if (book.code != FREEXL_OK)
    dump.others["freexl"] = "cannot open";
  for (unsigned short s = 0; s < sheets; ++s) {
    unsigned int rows = 0;
    unsigned short cols = 0;
    if (!book.Select(s) || freexl_worksheet_dimensions(book.h, &rows, &cols) != FREEXL_OK) {
      dump.others["freexl sheet " + std::to_string(s)] = "unreadable";
      continue;
    }
    for (int r = 1; r <= static_cast<int>(rows); ++r)
      for (int c = 1; c <= cols; ++c) {
        FreeXL_CellValue v;
        if (!book.Get(r, c, v) || v.type == FREEXL_CELL_NULL)
          continue;
        const bool whole = v.type == FREEXL_CELL_INT;
        dump.cells[std::to_string(s) + "!" + CellName(r, c)].independent =
            whole || v.type == FREEXL_CELL_DOUBLE
                ? Num(whole ? v.value.int_value : v.value.double_value)
                : std::string("t:") + (v.value.text_value ? v.value.text_value : "");
      }
  }

  // The records of each worksheet substream; the active tab from WINDOW1 and the sheet list, as
  // a worksheet number ("chart" when the tab is not a worksheet).
  using xls::testing::G16;
  namespace rec = xls::rec;
  const std::vector<std::uint8_t> stream = xls::ReadWorkbookStream(bytes);
  xls::BiffRecordReader reader(stream, 0);
  xls::BiffRecord record;
  int substream = -1;  // worksheet number, -1 in the globals or another kind of substream
  int worksheets = 0, depth = 0, active_tab = 0;
  std::vector<bool> tab_is_worksheet;
  std::uint16_t next = 0;
  while ((depth > 0 || (reader.PeekType(next) && next == rec::kBof)) && reader.Next(record)) {
    const auto& body = record.body;
    if (record.type == rec::kBof || record.type == rec::kEof) {
      depth += record.type == rec::kBof ? 1 : -1;
      const bool worksheet = record.type == rec::kBof && body.size() >= 4 && G16(body, 2) == 0x10;
      substream = worksheet ? worksheets++ : -1;
      continue;
    }
    if (record.type == rec::kWindow1 && substream < 0 && body.size() >= 12)
      active_tab = G16(body, 10);
    if (record.type == rec::kBoundSheet && body.size() >= 6)
      tab_is_worksheet.push_back(body[5] == 0);
    if (substream < 0 || body.size() < 6)
      continue;
    const auto at = [&](int c) {
      return std::to_string(substream) + "!" + CellName(G16(body, 0) + 1, G16(body, 2) + 1 + c);
    };
    const auto xf = [&](std::size_t i) { return "xf " + std::to_string(G16(body, i)); };
    static constexpr std::uint16_t kCells[] = {rec::kNumber,  rec::kLabelSst, rec::kLabel,
                                               rec::kBoolErr, rec::kBlank,    rec::kRk,
                                               rec::kRString, rec::kFormula};
    if (std::ranges::find(kCells, record.type) != std::end(kCells))
      dump.cells[at(0)].format = xf(4);
    if (record.type == rec::kFormula) {
      // A formula of a shared or array group only points at its group's first cell.
      std::string tokens = "tokens ";
      for (std::size_t i = 20; i < body.size(); ++i)
        tokens += std::to_string(body[i]) + ",";
      const bool group = body.size() >= 23 && body[22] == 0x01;
      dump.cells[at(0)].formula = group ? "formula of a group" : tokens;
    }
    if (record.type == rec::kMulRk || record.type == rec::kMulBlank) {
      const std::size_t step = record.type == rec::kMulRk ? 6 : 2;
      for (std::size_t i = 0; 4 + (i + 1) * step + 2 <= body.size(); ++i)
        dump.cells[at(static_cast<int>(i))].format = xf(4 + i * step);
    }
  }
  const bool worksheet =
      active_tab < static_cast<int>(tab_is_worksheet.size()) && tab_is_worksheet[active_tab];
  dump.active = worksheet ? std::to_string(std::count(tab_is_worksheet.begin(),
                                                      tab_is_worksheet.begin() + active_tab, true))
                          : "chart";
  return dump;
}

inline WorkbookDump DumpWorkbook(const std::vector<std::uint8_t>& bytes) {
  const bool xls = bytes.size() >= 8 && xls::testing::G32(bytes, 0) == 0xE011CFD0 &&
                   xls::testing::G32(bytes, 4) == 0xE11AB1A1;  // the compound file's signature
  return xls ? DumpXls(bytes) : DumpXlsx(bytes);
}

}  // namespace ombrix::sheet::testing
