// The shared-string table: runs joined, phonetic readings left out, spaces kept.

#include "sheet/xlsx/shared_strings.h"

#include <gtest/gtest.h>

#include "error_expect.h"

namespace ombrix::sheet::xlsx {
namespace {

using testing::Contains;
using testing::Error321;

std::vector<std::string> Read(const std::string& items, const std::string& prefix = "") {
  const std::string p = prefix.empty() ? "" : prefix + ":";
  const std::string xmlns = prefix.empty() ? "xmlns" : "xmlns:" + prefix;
  return ReadSharedStrings("<?xml version=\"1.0\"?><" + p + "sst " + xmlns +
                               "=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" +
                               items + "</" + p + "sst>",
                           "f.xlsx", "xl/sharedStrings.xml");
}

TEST(SharedStrings, RichRunsAreJoinedAndPhoneticRunsSkipped) {
  const auto strings = Read(
      R"(<si><t>plain</t></si>)"
      R"(<si><r><rPr><b/></rPr><t>Bold</t></r><r><t xml:space="preserve"> and </t></r><r><t>more</t></r>)"
      R"(<rPh sb="0" eb="1"><t>ボールド</t></rPh><phoneticPr fontId="1"/></si>)"
      R"(<si><t>東京</t><rPh sb="0" eb="2"><t>トウキョウ</t></rPh></si>)");
  ASSERT_EQ(strings.size(), 3u);
  EXPECT_EQ(strings[0], "plain");
  EXPECT_EQ(strings[1], "Bold and more");
  EXPECT_EQ(strings[2], "東京");
}

TEST(SharedStrings, WhitespaceIsKeptExactly) {
  const auto strings = Read(R"(<si><t xml:space="preserve">  two lead</t></si><si><t> </t></si>)"
                            R"(<si><t>tail  </t></si><si><t>line&#10;break</t></si><si><t/></si>)");
  ASSERT_EQ(strings.size(), 5u);
  EXPECT_EQ(strings[0], "  two lead");
  EXPECT_EQ(strings[1], " ");
  EXPECT_EQ(strings[2], "tail  ");
  EXPECT_EQ(strings[3], "line\nbreak");
  EXPECT_EQ(strings[4], "");
}

TEST(SharedStrings, EscapesAreDecodedAndPrefixesIgnored) {
  const auto strings =
      Read(R"(<x:si><x:t>a_x000D_b</x:t></x:si><x:si><x:r><x:t>r</x:t></x:r></x:si>)", "x");
  ASSERT_EQ(strings.size(), 2u);
  EXPECT_EQ(strings[0], "a\rb");
  EXPECT_EQ(strings[1], "r");
}

TEST(SharedStrings, MalformedOrForeignPartsAreRefused) {
  EXPECT_TRUE(Contains(Error321([] { Read("<si><t>x</si>"); }), "xl/sharedStrings.xml"));
  EXPECT_TRUE(
      Contains(Error321([] { ReadSharedStrings("<other/>", "f.xlsx", "xl/s.xml"); }), "other"));
  const std::string doctype = Error321([] {
    ReadSharedStrings(R"(<!DOCTYPE sst [<!ENTITY e "boom">]><sst><si><t>&e;</t></si></sst>)",
                      "f.xlsx", "xl/s.xml");
  });
  EXPECT_TRUE(Contains(doctype, "DOCTYPE")) << doctype;
}

}  // namespace
}  // namespace ombrix::sheet::xlsx
