#include "sheet/xlsx/style_patch.h"

#include <array>
#include <sstream>
#include <string_view>

#include "sheet/cell_edit.h"
#include "sheet/xlsx/xlsx_error.h"
#include "sheet/xlsx/xml_part.h"

namespace ombrix::sheet::xlsx {
namespace {

constexpr const char* kMinimalStyles =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    R"(<fonts count="1"><font><sz val="11"/><name val="Calibri"/><family val="2"/></font></fonts>)"
    R"(<fills count="2"><fill><patternFill patternType="none"/></fill>)"
    R"(<fill><patternFill patternType="gray125"/></fill></fills>)"
    R"(<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>)"
    R"(<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>)"
    R"(<cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/></cellXfs>)"
    R"(<cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles>)"
    R"(</styleSheet>)";

// The order the style sheet's sections must keep.
constexpr std::array<const char*, 12> kSectionOrder = {
    "numFmts",    "fonts", "fills",       "borders", "cellStyleXfs", "cellXfs",
    "cellStyles", "dxfs",  "tableStyles", "colors",  "extLst",       ""};

std::vector<pugi::xml_node> ChildrenByLocalName(pugi::xml_node node, std::string_view local) {
  std::vector<pugi::xml_node> children;
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element && LocalName(child.name()) == local) {
      children.push_back(child);
    }
  }
  return children;
}

void SetCount(pugi::xml_node section, std::size_t count) {
  pugi::xml_attribute attr = AttributeByLocalName(section, "count");
  if (!attr) {
    attr = section.append_attribute("count");
  }
  attr.set_value(std::to_string(count).c_str());
}

}  // namespace

StylePatch::StylePatch(const std::string& xml, const std::string& path, const std::string& part)
    : doc_(ParseXmlPart(xml.empty() ? std::string(kMinimalStyles) : xml, path, part)),
      path_(path),
      part_(part) {
  const pugi::xml_node root = doc_->document_element();
  if (LocalName(root.name()) != "styleSheet") {
    ThrowBrokenPart(path, part,
                    "書式の部品ではありません (根の要素が " + Excerpt(root.name()) + ")");
  }
  const std::string_view name = root.name();
  const std::size_t colon = name.rfind(':');
  prefix_ = colon == std::string_view::npos ? "" : std::string(name.substr(0, colon + 1));

  // Fills 0 (none) and 1 (gray125) are reserved: a style sheet that lacks them gets them
  // before the grey fill, or the grey would become the fill of every unformatted cell.
  pugi::xml_node fills = Section("fills");
  std::size_t fill_count = ChildrenByLocalName(fills, "fill").size();
  const auto add_pattern = [&](const char* type) {
    fills.append_child((prefix_ + "fill").c_str())
        .append_child((prefix_ + "patternFill").c_str())
        .append_attribute("patternType") = type;
    ++fill_count;
  };
  if (fill_count == 0) {
    add_pattern("none");
  }
  if (fill_count == 1) {
    add_pattern("gray125");
  }
  fill_ = static_cast<std::uint32_t>(fill_count);
  pugi::xml_node pattern = fills.append_child((prefix_ + "fill").c_str())
                               .append_child((prefix_ + "patternFill").c_str());
  pattern.append_attribute("patternType") = "solid";
  pattern.append_child((prefix_ + "fgColor").c_str()).append_attribute("indexed") =
      kMarkColourIndex;
  pattern.append_child((prefix_ + "bgColor").c_str()).append_attribute("indexed") = 64;
  SetCount(fills, fill_ + 1);

  formats_ = ChildrenByLocalName(Section("cellXfs"), "xf");
  if (formats_.empty()) {
    // Cells without a style use format 0; it must exist for the clone, and be the plain default
    // with the font, border and cell style it names.
    AddDefaultFormatParts();
    pugi::xml_node xf = Section("cellXfs").append_child((prefix_ + "xf").c_str());
    for (const char* attr : {"numFmtId", "fontId", "fillId", "borderId", "xfId"}) {
      xf.append_attribute(attr) = 0;
    }
    formats_.push_back(xf);
  }
}

void StylePatch::AddDefaultFormatParts() {
  pugi::xml_node fonts = Section("fonts");
  if (ChildrenByLocalName(fonts, "font").empty()) {
    pugi::xml_node font = fonts.append_child((prefix_ + "font").c_str());
    font.append_child((prefix_ + "sz").c_str()).append_attribute("val") = 11;
    font.append_child((prefix_ + "name").c_str()).append_attribute("val") = "Calibri";
    font.append_child((prefix_ + "family").c_str()).append_attribute("val") = 2;
    SetCount(fonts, 1);
  }
  pugi::xml_node borders = Section("borders");
  if (ChildrenByLocalName(borders, "border").empty()) {
    pugi::xml_node border = borders.append_child((prefix_ + "border").c_str());
    for (const char* side : {"left", "right", "top", "bottom", "diagonal"}) {
      border.append_child((prefix_ + side).c_str());
    }
    SetCount(borders, 1);
  }
  pugi::xml_node style_xfs = Section("cellStyleXfs");
  if (ChildrenByLocalName(style_xfs, "xf").empty()) {
    pugi::xml_node xf = style_xfs.append_child((prefix_ + "xf").c_str());
    for (const char* attr : {"numFmtId", "fontId", "fillId", "borderId"}) {
      xf.append_attribute(attr) = 0;
    }
    SetCount(style_xfs, 1);
  }
}

StylePatch::~StylePatch() = default;

pugi::xml_node StylePatch::Section(const char* local) {
  pugi::xml_node root = doc_->document_element();
  if (pugi::xml_node found = ChildByLocalName(root, local)) {
    return found;
  }
  // Insert it after the last section that must come before it.
  pugi::xml_node after;
  for (const char* earlier : kSectionOrder) {
    if (std::string_view(earlier) == local) {
      break;
    }
    if (pugi::xml_node node = ChildByLocalName(root, earlier)) {
      after = node;
    }
  }
  const std::string name = prefix_ + local;
  return after ? root.insert_child_after(name.c_str(), after) : root.prepend_child(name.c_str());
}

std::uint32_t StylePatch::Marked(std::uint32_t original) {
  if (const auto it = clones_.find(original); it != clones_.end()) {
    return it->second;
  }
  if (original >= formats_.size()) {
    ThrowBrokenPart(path_, part_.empty() ? std::string("書式") : part_,
                    "セルの書式番号 " + std::to_string(original) +
                        " に当たる書式がありません (書式は " + std::to_string(formats_.size()) +
                        " 個)");
  }
  pugi::xml_node cell_xfs = formats_.front().parent();
  pugi::xml_node clone = cell_xfs.append_copy(formats_[original]);
  for (const char* name : {"fillId", "applyFill"}) {
    if (!clone.attribute(name)) {
      clone.append_attribute(name);
    }
  }
  clone.attribute("fillId") = fill_;
  clone.attribute("applyFill") = "1";
  const auto index = static_cast<std::uint32_t>(formats_.size() + clones_.size());
  clones_.emplace(original, index);
  return index;
}

std::string StylePatch::Xml() {
  SetCount(formats_.front().parent(), formats_.size() + clones_.size());
  std::ostringstream out;
  doc_->save(out, "", pugi::format_raw, pugi::encoding_utf8);
  return std::move(out).str();
}

}  // namespace ombrix::sheet::xlsx
