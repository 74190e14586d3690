// XmlScanner: the events of the sheet part, text decoding, and the malformed XML it refuses.

#include "sheet/xlsx/xml_scanner.h"

#include <gtest/gtest.h>

#include "error_expect.h"

namespace ombrix::sheet::xlsx {
namespace {

using testing::Contains;
using testing::Error321;

// The events as a compact trace: "<a" start, ">a" end, "'text'" decoded text.
std::string Trace(std::string_view xml) {
  XmlScanner scanner(xml, "f.xlsx", "xl/s.xml");
  std::string trace;
  while (true) {
    switch (scanner.Next()) {
      case XmlScanner::Event::kStart:
        trace += "<" + std::string(scanner.name());
        for (const auto& a : scanner.attributes()) {
          std::string value;
          scanner.AppendAttribute(value, a.raw_value);
          trace += " " + std::string(a.name) + "=" + value;
        }
        trace += " ";
        break;
      case XmlScanner::Event::kEnd:
        trace += ">" + std::string(scanner.name()) + " ";
        break;
      case XmlScanner::Event::kText: {
        std::string text;
        scanner.AppendText(text);
        trace += "'" + text + "' ";
        break;
      }
      case XmlScanner::Event::kEndOfDocument:
        return trace;
    }
  }
}

TEST(XmlScannerEvents, ElementsAttributesAndSelfClosingTags) {
  EXPECT_EQ(Trace(R"(<?xml version="1.0"?><x:a k="1" m = 'two'><b/><c>t</c></x:a>)"),
            "<x:a k=1 m=two <b >b <c 't' >c >x:a ");
}

TEST(XmlScannerEvents, CommentsAndInstructionsAreSkippedCdataIsText) {
  EXPECT_EQ(Trace("\xEF\xBB\xBF<a><!-- <b> --><?pi x?><![CDATA[<&amp;>]]></a>\n"),
            "<a '<&amp;>' >a ");
}

TEST(XmlScannerText, ReferencesAreDecodedAndLineEndsNormalised) {
  EXPECT_EQ(Trace("<a>&lt;&gt;&amp;&quot;&apos;&#65;&#x3042;\r\nx\ry</a>"),
            "<a '<>&\"'A\xE3\x81\x82\nx\ny' >a ");
  EXPECT_EQ(Trace(R"(<a v="&amp;&#x41;"/>)"), "<a v=&A >a ");
}

TEST(XmlScannerMalformed, UnclosedAndMismatchedTagsNameThePart) {
  const std::string truncated = Error321([] { Trace("<a><b>1</b><c>"); });
  EXPECT_TRUE(Contains(truncated, "f.xlsx")) << truncated;
  EXPECT_TRUE(Contains(truncated, "xl/s.xml")) << truncated;
  EXPECT_TRUE(Contains(truncated, "途中で終わって")) << truncated;
  EXPECT_TRUE(Contains(Error321([] { Trace("<a><b></a></b>"); }), "</a>"));
  Error321([] { Trace("<a></a><b></b>"); });
  Error321([] { Trace("text<a/>"); });
  Error321([] { Trace(""); });
  Error321([] { Trace("<a"); });
  Error321([] { Trace("<a k=1/>"); });
  Error321([] { Trace("<a k=\"1/>"); });
  Error321([] { Trace("<a/"); });
  Error321([] { Trace("<a><!-- x </a>"); });
  Error321([] { Trace("<a><![CDATA[x</a>"); });
  Error321([] { Trace("<>"); });
}

TEST(XmlScannerMalformed, DoctypeAndEntitiesAreRefused) {
  const std::string why = Error321([] { Trace(R"(<!DOCTYPE a [<!ENTITY e "boom">]><a>&e;</a>)"); });
  EXPECT_TRUE(Contains(why, "DOCTYPE")) << why;
  EXPECT_TRUE(Contains(Error321([] { Trace("<a>&e;</a>"); }), "&e;"));
  Error321([] { Trace("<a>&#0;</a>"); });
  Error321([] { Trace("<a>&#xD800;</a>"); });
  Error321([] { Trace("<a>&#x110000;</a>"); });
  Error321([] { Trace("<a>&#;</a>"); });
  Error321([] { Trace("<a>&amp</a>"); });
}

TEST(XmlScannerMalformed, DeepNestingIsRefusedNotRecursed) {
  std::string deep;
  for (std::size_t i = 0; i <= XmlScanner::kMaxDepth; ++i) {
    deep += "<a>";
  }
  EXPECT_TRUE(Contains(Error321([&] { Trace(deep); }), "入れ子"));
  std::string ok;
  for (std::size_t i = 0; i < XmlScanner::kMaxDepth; ++i) {
    ok = "<a>" + ok + "</a>";
  }
  EXPECT_NO_THROW(Trace(ok));
}

TEST(XmlScannerMalformed, Utf16IsRefusedWithAClearMessage) {
  const std::string utf16("\xFF\xFE<\0a\0/\0>\0", 10);
  EXPECT_TRUE(Contains(Error321([&] { Trace(utf16); }), "UTF-16"));
}

}  // namespace
}  // namespace ombrix::sheet::xlsx
