// XmlScanner: the events of the sheet part, text decoding, and the malformed XML it refuses.

#include "sheet/xlsx/xml_scanner.h"

#include <gtest/gtest.h>

#include <utility>

#include "error_expect.h"

namespace ombrix::sheet::xlsx::testing {
namespace {

// The events as a compact trace: "<a" start, ">a" end, "'text'" decoded text.
std::string Trace(std::string_view xml) {
  XmlScanner scanner(xml, "f.xlsx", "xl/s.xml");
  std::string trace;
  while (true) {
    switch (scanner.Next()) {
      case XmlScanner::Event::kStart:
        trace += "<" + std::string(scanner.name());
        for (const auto& a : scanner.attributes()) {
          trace += " " + std::string(a.name) + "=";
          scanner.AppendAttribute(trace, a.raw_value);
        }
        trace += " ";
        break;
      case XmlScanner::Event::kEnd:
        trace += ">" + std::string(scanner.name()) + " ";
        break;
      case XmlScanner::Event::kText:
        trace += "'";
        scanner.AppendText(trace);
        trace += "' ";
        break;
      case XmlScanner::Event::kEndOfDocument:
        return trace;
    }
  }
}

TEST(XmlScannerEvents, TagsAttributesTextAndReferencesCommentsAndInstructionsSkipped) {
  const std::pair<const char*, const char*> cases[] = {
      {R"(<?xml version="1.0"?><x:a k="1" m = 'two'><b/><c>t</c></x:a>)",
       "<x:a k=1 m=two <b >b <c 't' >c >x:a "},
      {"\xEF\xBB\xBF<a><!-- <b> --><?pi x?><![CDATA[<&amp;>]]></a>\n", "<a '<&amp;>' >a "},
      // References decoded, line ends normalised.
      {"<a>&lt;&gt;&amp;&quot;&apos;&#65;&#x3042;\r\nx\ry</a>",
       "<a '<>&\"'A\xE3\x81\x82\nx\ny' >a "},
      {R"(<a v="&amp;&#x41;"/>)", "<a v=&A >a "}};
  for (const auto& [xml, trace] : cases) {
    EXPECT_EQ(Trace(xml), trace);
  }
}

TEST(XmlScannerMalformed, MalformedXmlDoctypeAndEntitiesAreRefusedNamingThePart) {
  const std::string truncated = Error321([] { Trace("<a><b>1</b><c>"); });
  for (const char* part : {"f.xlsx", "xl/s.xml", "途中で終わって"}) {
    EXPECT_TRUE(Contains(truncated, part)) << truncated;
  }
  const std::pair<std::string, const char*> named[] = {
      {"<a><b></a></b>", "</a>"},
      {R"(<!DOCTYPE a [<!ENTITY e "boom">]><a>&e;</a>)", "DOCTYPE"},
      {"<a>&e;</a>", "&e;"},
      {std::string("\xFF\xFE<\0a\0/\0>\0", 10), "UTF-16"}};
  for (const auto& [xml, says] : named) {
    const std::string why = Error321([&x = xml] { Trace(x); });
    EXPECT_TRUE(Contains(why, says)) << why;
  }
  for (const char* xml : {"<a></a><b></b>", "text<a/>", "", "<a", "<a k=1/>", "<a k=\"1/>", "<a/",
                          "<a><!-- x </a>", "<a><![CDATA[x</a>", "<>", "<a>&#0;</a>",
                          "<a>&#xD800;</a>", "<a>&#x110000;</a>", "<a>&#;</a>", "<a>&amp</a>"}) {
    SCOPED_TRACE(xml);
    Error321([&x = xml] { Trace(x); });
  }
  // Deep nesting is refused, not recursed into.
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

}  // namespace
}  // namespace ombrix::sheet::xlsx::testing
