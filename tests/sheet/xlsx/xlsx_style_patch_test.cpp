// StylePatch on style sheets that lack the defaults: the grey fill and its clones are added
// without changing what an unformatted cell looks like.

#include "sheet/xlsx/style_patch.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <iterator>
#include <map>

#include "test_archive.h"

namespace ombrix::sheet::xlsx::testing {
namespace {

struct Styles {
  std::vector<std::string> fills;    // pattern types
  std::vector<int> xf_fills;         // fillId of each cell format
  std::map<std::string, int> sizes;  // children of each section, by its unprefixed name
};

// The style sheet read back; every section's count must match its children.
Styles Read(const std::string& xml, const std::string& prefix = "") {
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_string(xml.c_str())) << xml;
  const pugi::xml_node root = doc.child((prefix + "styleSheet").c_str());
  EXPECT_TRUE(root) << xml;
  Styles s;
  for (pugi::xml_node section : root.children()) {
    const auto n =
        static_cast<int>(std::distance(section.children().begin(), section.children().end()));
    EXPECT_EQ(section.attribute("count").as_int(), n) << section.name();
    s.sizes[std::string(section.name()).substr(prefix.size())] = n;
  }
  for (pugi::xml_node fill : root.child((prefix + "fills").c_str()).children()) {
    s.fills.push_back(fill.first_child().attribute("patternType").value());
  }
  for (pugi::xml_node xf : root.child((prefix + "cellXfs").c_str()).children()) {
    s.xf_fills.push_back(xf.attribute("fillId").as_int(-1));
  }
  return s;
}

TEST(StylePatch, AnEmptyStyleSheetKeepsItsDefaultFormatPlain) {
  for (const std::string& xml :
       {std::string("<styleSheet xmlns=\"") + kMainNs + "\"/>",
        std::string("<?xml version=\"1.0\"?><styleSheet xml:space=\"preserve\" xmlns=\"") +
            kMainNs + "\"></styleSheet>",
        std::string()}) {  // no styles part at all
    StylePatch patch(xml, "book.xlsx", "xl/styles.xml");
    EXPECT_EQ(patch.Marked(0), 1u);
    Styles s = Read(patch.Xml());
    EXPECT_EQ(s.fills, (std::vector<std::string>{"none", "gray125", "solid"})) << xml;
    EXPECT_EQ(s.xf_fills, (std::vector<int>{0, 2})) << xml;
    EXPECT_EQ(s.sizes["fonts"], 1);
    EXPECT_EQ(s.sizes["borders"], 1);
    EXPECT_EQ(s.sizes["cellStyleXfs"], 1);
  }
}

TEST(StylePatch, MissingReservedFillsComeBeforeTheGreyOneAndACompleteSheetOnlyGrows) {
  const std::string xml =
      std::string("<x:styleSheet xmlns:x=\"") + kMainNs +
      "\"><x:fonts count=\"1\"><x:font/></x:fonts><x:fills count=\"1\"><x:fill><x:patternFill "
      "patternType=\"none\"/></x:fill></x:fills><x:cellXfs count=\"2\"><x:xf fillId=\"0\"/><x:xf "
      "fillId=\"0\" numFmtId=\"14\"/></x:cellXfs></x:styleSheet>";
  StylePatch patch(xml, "book.xlsx", "xl/styles.xml");
  EXPECT_EQ(patch.Marked(1), 2u);
  EXPECT_EQ(patch.Marked(1), 2u);
  EXPECT_EQ(patch.Marked(0), 3u);
  Styles s = Read(patch.Xml(), "x:");
  EXPECT_EQ(s.fills, (std::vector<std::string>{"none", "gray125", "solid"}));
  EXPECT_EQ(s.xf_fills, (std::vector<int>{0, 0, 2, 2}));
  EXPECT_EQ(s.sizes["fonts"], 1);    // the workbook's own, nothing added
  EXPECT_EQ(s.sizes["borders"], 0);  // its formats exist, so their parts are left as they are

  // A complete style sheet only grows.
  const std::string complete =
      std::string("<styleSheet xmlns=\"") + kMainNs +
      "\"><fills count=\"3\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill "
      "patternType=\"gray125\"/></fill><fill><patternFill patternType=\"lightGray\"/></fill>"
      "</fills><cellXfs count=\"1\"><xf fillId=\"2\"/></cellXfs></styleSheet>";
  StylePatch grown(complete, "book.xlsx", "xl/styles.xml");
  EXPECT_EQ(grown.Marked(0), 1u);
  s = Read(grown.Xml());
  EXPECT_EQ(s.fills, (std::vector<std::string>{"none", "gray125", "lightGray", "solid"}));
  EXPECT_EQ(s.xf_fills, (std::vector<int>{2, 3}));
}

}  // namespace
}  // namespace ombrix::sheet::xlsx::testing
