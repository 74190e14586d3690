// Which cell formats of a style sheet show the mark: only a solid fill in indexed colour 23
// with nothing that overrides it, reached through the format's fillId.

#include "sheet/xlsx/mark_fill.h"

#include <gtest/gtest.h>

#include "error_expect.h"

namespace ombrix::sheet::xlsx::testing {
namespace {

std::string MarkStyles(const std::string& prefix) {
  const std::string p = prefix.empty() ? "" : prefix + ":";
  const std::string ns = prefix.empty() ? "xmlns" : "xmlns:" + prefix;
  auto fill = [&](const std::string& pattern) {
    return "<" + p + "fill><" + p + "patternFill " + pattern + "</" + p + "patternFill></" + p +
           "fill>";
  };
  auto xf = [&](const std::string& attrs) { return "<" + p + "xf " + attrs + "/>"; };
  return "<" + p + "styleSheet " + ns +
         "=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><" + p + "fills>" +
         fill("patternType=\"none\">") + fill("patternType=\"gray125\">") +
         fill("patternType=\"solid\"><" + p + "fgColor indexed=\"23\"/>") +
         fill("patternType=\"solid\"><" + p + "fgColor indexed=\"22\"/>") +
         fill("patternType=\"solid\"><" + p + "fgColor indexed=\"23\" rgb=\"FFFF0000\"/>") +
         fill("patternType=\"darkGray\"><" + p + "fgColor indexed=\"23\"/>") +
         fill("patternType=\"solid\">") +
         fill("patternType=\" solid \"><" + p + "fgColor indexed=\" 23 \"/>") + "</" + p +
         "fills><" + p + "cellXfs>" + xf("numFmtId=\"0\"") + xf("fillId=\"2\"") +
         xf("fillId=\"3\"") + xf("fillId=\"4\"") + xf("fillId=\"5\"") + xf("fillId=\"6\"") +
         xf("fillId=\"7\"") + xf("fillId=\"8\"") + xf("fillId=\"two\"") + "</" + p + "cellXfs></" +
         p + "styleSheet>";
}

TEST(XlsxMarkFill, OnlyASolidFillInColour23MarksAFormat) {
  // Formats: no fillId (fill 0), the mark, colour 22, an rgb over the index, another pattern,
  // a solid fill without colour, the mark written with spaces, a fill beyond the list, a
  // fillId that is not a number.
  const std::vector<bool> expected = {false, true, false, false, false, false, true, false, false};
  EXPECT_EQ(MarkedFormats(MarkStyles(""), "/d/m.xlsx", "xl/styles.xml"), expected);
  EXPECT_EQ(MarkedFormats(MarkStyles("x"), "/d/m.xlsx", "xl/styles.xml"), expected);
  EXPECT_TRUE(MarkedFormats("", "/d/m.xlsx", "").empty());
  const std::string d =
      Error321([] { MarkedFormats("<styleSheet>", "/d/m.xlsx", "xl/styles.xml"); });
  EXPECT_TRUE(Contains(d, "xl/styles.xml")) << d;
}

}  // namespace
}  // namespace ombrix::sheet::xlsx::testing
