// Which cell formats of a style sheet show the mark: only a solid fill in indexed colour 23
// with nothing that overrides it, reached through the format's fillId.

#include "sheet/xlsx/mark_fill.h"

#include <gtest/gtest.h>

#include <regex>

#include "error_expect.h"
#include "test_archive.h"

namespace ombrix::sheet::xlsx::testing {
namespace {

// Formats: no fillId (fill 0), the mark, colour 22, an rgb over the index, another pattern, a
// solid fill without colour, the mark written with spaces, a fill beyond the list, a fillId
// that is not a number.
const std::string kStyles =
    std::string(R"(<styleSheet xmlns=")") + kMainNs + R"("><fills>)" +
    R"(<fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill>)"
    R"(<fill><patternFill patternType="solid"><fgColor indexed="23"/></patternFill></fill>)"
    R"(<fill><patternFill patternType="solid"><fgColor indexed="22"/></patternFill></fill>)"
    R"(<fill><patternFill patternType="solid"><fgColor indexed="23" rgb="FFFF0000"/></patternFill></fill>)"
    R"(<fill><patternFill patternType="darkGray"><fgColor indexed="23"/></patternFill></fill>)"
    R"(<fill><patternFill patternType="solid"/></fill>)"
    R"(<fill><patternFill patternType=" solid "><fgColor indexed=" 23 "/></patternFill></fill>)"
    R"(</fills><cellXfs><xf numFmtId="0"/><xf fillId="2"/><xf fillId="3"/><xf fillId="4"/>)"
    R"(<xf fillId="5"/><xf fillId="6"/><xf fillId="7"/><xf fillId="8"/><xf fillId="two"/>)"
    R"(</cellXfs></styleSheet>)";

TEST(XlsxMarkFill, OnlyASolidFillInColour23MarksAFormat) {
  const std::vector<bool> expected = {false, true, false, false, false, false, true, false, false};
  EXPECT_EQ(MarkedFormats(kStyles, "/d/m.xlsx", "xl/styles.xml"), expected);
  // The same with every element name prefixed.
  const std::string prefixed =
      std::regex_replace(std::regex_replace(kStyles, std::regex("<(/?)(\\w)"), "<$1x:$2"),
                         std::regex("xmlns="), "xmlns:x=");
  EXPECT_EQ(MarkedFormats(prefixed, "/d/m.xlsx", "xl/styles.xml"), expected);
  EXPECT_TRUE(MarkedFormats("", "/d/m.xlsx", "").empty());
  const std::string d =
      Error321([] { MarkedFormats("<styleSheet>", "/d/m.xlsx", "xl/styles.xml"); });
  EXPECT_TRUE(Contains(d, "xl/styles.xml")) << d;
}

}  // namespace
}  // namespace ombrix::sheet::xlsx::testing
