#pragma once
// The styles part as a marked cell needs it: one added solid grey fill and, for every cell
// format a marked cell used, one clone of that format pointing at the fill.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <pugixml.hpp>

namespace ombrix::sheet::xlsx {

class StylePatch {
 public:
  // `xml` is the styles part `part` of file `path`, or empty when the workbook has none (a
  // minimal one is made). What a minimal or empty style sheet lacks of the defaults (fills 0
  // and 1, format 0) is added first, so unmarked cells look as before. Error 321 when the part
  // is not a style sheet.
  StylePatch(const std::string& xml, const std::string& path, const std::string& part);
  StylePatch(const StylePatch&) = delete;
  StylePatch& operator=(const StylePatch&) = delete;
  ~StylePatch();

  // The index of the grey clone of cell format `original`, made on first use. Error 321 when
  // the workbook has no such format.
  std::uint32_t Marked(std::uint32_t original);
  // The whole part with the added fill and clones, counts updated.
  std::string Xml();

 private:
  pugi::xml_node Section(const char* local);
  // The font, border and cell style a default format 0 names, where the sheet has none.
  void AddDefaultFormatParts();

  std::unique_ptr<pugi::xml_document> doc_;
  std::string path_;
  std::string part_;
  std::string prefix_;  // of the style sheet's elements
  std::vector<pugi::xml_node> formats_;
  std::map<std::uint32_t, std::uint32_t> clones_;
  std::uint32_t fill_ = 0;  // index of the added fill
};

}  // namespace ombrix::sheet::xlsx
