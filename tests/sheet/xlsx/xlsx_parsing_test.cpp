// The text forms of a workbook's parts: numbers, cell references, dates, _xHHHH_ escapes,
// relationship targets and formulas, and the XML scanner under them.

#include "sheet/xlsx/xml_scanner.h"

#include <gtest/gtest.h>

#include <limits>

#include "error_expect.h"
#include "sheet/xlsx/cell_number.h"
#include "sheet/xlsx/cell_ref.h"
#include "sheet/xlsx/excel_escapes.h"
#include "sheet/xlsx/formula_shift.h"
#include "sheet/xlsx/iso_date.h"
#include "sheet/xlsx/part_names.h"

namespace ombrix::sheet::xlsx {
namespace {

// XmlScanner: the events of the sheet part, text decoding, and the malformed XML it refuses.

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
    const std::string why = Error321([&] { Trace(xml); });
    EXPECT_TRUE(Contains(why, says)) << why;
  }
  for (const char* xml : {"<a></a><b></b>", "text<a/>", "", "<a", "<a k=1/>", "<a k=\"1/>", "<a/",
                          "<a><!-- x </a>", "<a><![CDATA[x</a>", "<>", "<a>&#0;</a>",
                          "<a>&#xD800;</a>", "<a>&#x110000;</a>", "<a>&#;</a>", "<a>&amp</a>"}) {
    SCOPED_TRACE(xml);
    Error321([&] { Trace(xml); });
  }
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

// Numbers read exactly as the nearest double, in every form writers use.

TEST(ParseCellNumber, FormsWritersUse) {
  EXPECT_EQ(ParseCellNumber("1.5"), 1.5);
  EXPECT_EQ(ParseCellNumber("-3"), -3.0);
  EXPECT_EQ(ParseCellNumber("1E-006"), 1e-06);
  EXPECT_EQ(ParseCellNumber("1e-06"), 1e-06);
  EXPECT_EQ(ParseCellNumber("4.4270500000000002E4"), 44270.5);
  EXPECT_EQ(ParseCellNumber(".5"), 0.5);
  EXPECT_EQ(ParseCellNumber("+2"), 2.0);
  EXPECT_EQ(ParseCellNumber(" \n7\t"), 7.0);
}

TEST(ParseCellNumber, RoundTripsExactly) {
  EXPECT_EQ(ParseCellNumber("0.1"), 0.1);
  EXPECT_EQ(ParseCellNumber("3.8333333333333335"), 3.8333333333333335);
  EXPECT_EQ(ParseCellNumber("3.83333333333333"), 3.83333333333333);
  EXPECT_EQ(ParseCellNumber("1.7976931348623157E308"), std::numeric_limits<double>::max());
  EXPECT_EQ(ParseCellNumber("2.2250738585072014e-308"), std::numeric_limits<double>::min());
  // Halfway between two doubles: round to even, not truncate.
  EXPECT_EQ(ParseCellNumber("9007199254740993"), 9007199254740992.0);
  EXPECT_EQ(ParseCellNumber("9007199254740995"), 9007199254740996.0);
}

TEST(ParseCellNumber, RefusesWhatNoCellHolds) {
  for (const char* bad : {"", " ", "abc", "1,5", "1.5x", "inf", "nan", "-inf", "1e400", "0x10",
                          "--1", "+-1", "++1", "1e", "."}) {
    EXPECT_EQ(ParseCellNumber(bad), std::nullopt) << bad;
  }
}

// A1 references and row numbers inside the sheet's bounds.

void ExpectRef(std::string_view text, std::int32_t row, std::int32_t col) {
  const auto ref = ParseCellRef(text);
  ASSERT_TRUE(ref.has_value()) << text;
  EXPECT_EQ(ref->row, row) << text;
  EXPECT_EQ(ref->col, col) << text;
}

TEST(ParseCellRef, ColumnsAndRows) {
  ExpectRef("A1", 1, 1);
  ExpectRef("H7", 7, 8);
  ExpectRef("Z9", 9, 26);
  ExpectRef("AA10", 10, 27);
  ExpectRef("AT35", 35, 46);
  ExpectRef("XFD1048576", 1048576, 16384);
  ExpectRef("h7", 7, 8);
}

TEST(ParseCellRef, OutsideTheSheetOrMalformed) {
  for (const char* bad : {"", "A", "1", "A0", "A01", "XFE1", "A1048577", "AAAA1", "A-1", "A1 ",
                          "$A$1", "A1B", "A99999999999"}) {
    EXPECT_EQ(ParseCellRef(bad).has_value(), false) << bad;
  }
}

TEST(ParseRowNumber, Bounds) {
  EXPECT_EQ(ParseRowNumber("1"), 1);
  EXPECT_EQ(ParseRowNumber("1048576"), 1048576);
  EXPECT_EQ(ParseRowNumber("1048577"), std::nullopt);
  EXPECT_EQ(ParseRowNumber("0"), std::nullopt);
  EXPECT_EQ(ParseRowNumber("+3"), std::nullopt);
  EXPECT_EQ(ParseRowNumber("3.0"), std::nullopt);
}

// ISO dates of "d" cells as serial numbers in both date systems.

TEST(ParseIsoDateSerial, DatesAndTimesIn1900System) {
  EXPECT_EQ(ParseIsoDateSerial("2021-03-15", false), 44270.0);
  EXPECT_EQ(ParseIsoDateSerial("2021-03-15T12:00:00", false), 44270.5);
  EXPECT_EQ(ParseIsoDateSerial("2021-03-15T18:00:00.000Z", false), 44270.75);
  EXPECT_EQ(ParseIsoDateSerial("2021-03-15T06:00", false), 44270.25);
  EXPECT_EQ(ParseIsoDateSerial("1999-12-31", false), 36525.0);
  EXPECT_EQ(ParseIsoDateSerial("12:00:00", false), 0.5);
}

TEST(ParseIsoDateSerial, TheEarly1900DatesMatchExcelsCount) {
  EXPECT_EQ(ParseIsoDateSerial("1900-01-01", false), 1.0);
  EXPECT_EQ(ParseIsoDateSerial("1900-02-28", false), 59.0);
  EXPECT_EQ(ParseIsoDateSerial("1900-03-01", false), 61.0);
}

TEST(ParseIsoDateSerial, The1904System) {
  EXPECT_EQ(ParseIsoDateSerial("1904-01-01", true), 0.0);
  EXPECT_EQ(ParseIsoDateSerial("2021-03-15", true), 44270.0 - 1462);
}

TEST(ParseIsoDateSerial, RefusesDaysThatDoNotExistAndOtherText) {
  for (const char* bad : {"2021-02-29", "2021-13-01", "2021-00-10", "2021-04-31", "2021-3-15",
                          "20210315", "2021-03-15X", "2021-03-15T25:00", "2021-03-15T12:60",
                          "2021-03-15T12:00:61", "2021-03-15T12:00:00.", "", "abc", "12:00:"}) {
    EXPECT_EQ(ParseIsoDateSerial(bad, false), std::nullopt) << bad;
  }
  EXPECT_EQ(ParseIsoDateSerial("2020-02-29", false), 43890.0);
}

// _xHHHH_ escapes decoded the way Excel writes them.

TEST(DecodeExcelEscapes, EscapesDecodedNearMissesKeptSurrogatesJoinedOrReplaced) {
  const std::pair<const char*, const char*> cases[] = {{"a_x000D_b_x0009_c", "a\rb\tc"},
                                                       {"_x0041__x0042_", "AB"},
                                                       {"_x3042_", "\xE3\x81\x82"},
                                                       {"_x00e9_", "\xC3\xA9"},
                                                       {"_x005F_x0041_", "_x0041_"},
                                                       {"_x004_", "_x004_"},
                                                       {"_x00G1_", "_x00G1_"},
                                                       {"_X0041_", "_X0041_"},
                                                       {"_x0041", "_x0041"},
                                                       {"plain text", "plain text"},
                                                       {"_xD83D__xDE00_", "\xF0\x9F\x98\x80"},
                                                       {"_xD83D_x", "\xEF\xBF\xBDx"},
                                                       {"_xDE00_", "\xEF\xBF\xBD"}};
  for (const auto& [in, out] : cases) {
    EXPECT_EQ(DecodeExcelEscapes(in), out) << in;
  }
}

// Relationship targets resolved to entry names.

TEST(ResolveTarget, TargetsCountFromTheSourceFolderOrTheRootAndLeaveNoPackage) {
  const struct {
    const char* source;
    const char* target;
    std::optional<std::string> resolved;
  } cases[] = {{"xl/workbook.xml", "worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
               {"xl/workbook.xml", "./worksheets/./sheet1.xml", "xl/worksheets/sheet1.xml"},
               {"xl/sub/workbook.xml", "../worksheets/s.xml", "xl/worksheets/s.xml"},
               {"", "xl/workbook.xml", "xl/workbook.xml"},
               {"book.xml", "sheet.xml", "sheet.xml"},
               {"xl/workbook.xml", "/xl/worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
               {"a/b/c.xml", "/x.xml", "x.xml"},
               {"xl/workbook.xml", "worksheets/my%20sheet.xml", "xl/worksheets/my sheet.xml"},
               {"xl/workbook.xml", "../../etc/passwd", std::nullopt},
               {"", "../x.xml", std::nullopt},
               {"xl/workbook.xml", "", std::nullopt},
               {"xl/workbook.xml", "/", std::nullopt},
               {"xl/workbook.xml", "a%2", std::nullopt},
               {"xl/workbook.xml", "a%zz", std::nullopt}};
  for (const auto& c : cases) {
    EXPECT_EQ(ResolveTarget(c.source, c.target), c.resolved) << c.source << " " << c.target;
  }
}

TEST(RelationshipsPartOf, SitsInTheRelsFolderBesideThePart) {
  EXPECT_EQ(RelationshipsPartOf("xl/workbook.xml"), "xl/_rels/workbook.xml.rels");
  EXPECT_EQ(RelationshipsPartOf("book.xml"), "_rels/book.xml.rels");
  EXPECT_EQ(RelationshipsPartOf(""), "_rels/.rels");
}

// Formula text moved from the cell that stores it to another cell of its range.

TEST(ShiftFormula, RelativePartsMoveAbsoluteOnesStay) {
  EXPECT_EQ(ShiftFormula("$A$1+A$1+$A1+A1", 2, 3), "$A$1+D$1+$A3+D3");
  EXPECT_EQ(ShiftFormula("z9+AZ9", 1, 1), "AA10+BA10");
  EXPECT_EQ(ShiftFormula("SUMPRODUCT(((calNames=I3)*(calTiers=$K$2))*calHours)", 1, 0),
            "SUMPRODUCT(((calNames=I4)*(calTiers=$K$2))*calHours)");
  EXPECT_EQ(ShiftFormula("A1 + B2", 0, 0), "A1 + B2");
}

TEST(ShiftFormula, RangesWholeColumnsAndWholeRows) {
  EXPECT_EQ(ShiftFormula("SUM($A$2:A4)", 1, 1), "SUM($A$2:B5)");
  EXPECT_EQ(ShiftFormula("SUM(A:A)+SUM(3:5)+COUNT($B:$C)+COUNT($7:$7)", 1, 1),
            "SUM(B:B)+SUM(4:6)+COUNT($B:$C)+COUNT($7:$7)");
  EXPECT_EQ(ShiftFormula("SUM(A10:A14*B10:B14)", 2, 0), "SUM(A12:A16*B12:B16)");
  // An intersection and a range ending in a function keep their other operands as written.
  EXPECT_EQ(ShiftFormula("SUM(A1:INDEX(B:B,3))", 1, 0), "SUM(A2:INDEX(B:B,3))");
}

TEST(ShiftFormula, TextFunctionsNamesAndLiteralsAreNotReferences) {
  EXPECT_EQ(ShiftFormula("\"A1\"&A1", 0, 1), "\"A1\"&B1");
  EXPECT_EQ(ShiftFormula("\"say \"\"B2\"\" \"&B2", 1, 0), "\"say \"\"B2\"\" \"&B3");
  EXPECT_EQ(ShiftFormula("LOG10(A1)+ATAN2(B1,C1)+_xlfn.STDEV.S(D1:D2)", 0, 1),
            "LOG10(B1)+ATAN2(C1,D1)+_xlfn.STDEV.S(E1:E2)");
  EXPECT_EQ(ShiftFormula("LOG10 (A1)", 0, 0), "LOG10 (A1)");
  EXPECT_EQ(ShiftFormula("TRUE+Total+A+rate_2024+FALSE", 5, 5), "TRUE+Total+A+rate_2024+FALSE");
  EXPECT_EQ(ShiftFormula("1.5E+3*A1+2e-2+.5+3", 1, 0), "1.5E+3*A2+2e-2+.5+3");
  EXPECT_EQ(ShiftFormula("IFERROR(A1,#N/A)+#REF!+#DIV/0!+#NAME?", 1, 0),
            "IFERROR(A2,#N/A)+#REF!+#DIV/0!+#NAME?");
  EXPECT_EQ(ShiftFormula("{1,2;3,4}*A1", 0, 1), "{1,2;3,4}*B1");
}

TEST(ShiftFormula, SheetsWorkbooksAndTables) {
  EXPECT_EQ(ShiftFormula("Data!B4+'My data'!B4:C5+'It''s A1'!C1", 1, 0),
            "Data!B5+'My data'!B5:C6+'It''s A1'!C2");
  EXPECT_EQ(ShiftFormula("AB12!A1", 0, 1), "AB12!B1");  // the sheet is named like a cell
  EXPECT_EQ(ShiftFormula("SUM(Jan:Mar!B2)", 0, 1), "SUM(Jan:Mar!C2)");
  EXPECT_EQ(ShiftFormula("[1]Sheet1!A1+'[2]Other book'!$A1", 1, 1),
            "[1]Sheet1!B2+'[2]Other book'!$A2");
  EXPECT_EQ(ShiftFormula("SUM(Table1[Col A1])+Table1[[#This Row],[B2]]+A1", 1, 0),
            "SUM(Table1[Col A1])+Table1[[#This Row],[B2]]+A2");
}

TEST(ShiftFormula, ReferencesPushedOffTheSheetBecomeRefErrors) {
  EXPECT_EQ(ShiftFormula("A1+1", -1, 0), "#REF!+1");
  EXPECT_EQ(ShiftFormula("XFD1*2", 0, 1), "#REF!*2");
  EXPECT_EQ(ShiftFormula("$XFD1*XFC1", 0, 1), "$XFD1*XFD1");
  EXPECT_EQ(ShiftFormula("SUM(A2:A1048576)", 1, 0), "SUM(#REF!)");
  EXPECT_EQ(ShiftFormula("SUM(A2:A$1048576)", 1, 0), "SUM(A3:A$1048576)");
  EXPECT_EQ(ShiftFormula("Data!A1", -1, 0), "Data!#REF!");
  EXPECT_EQ(ShiftFormula("SUM(XFD:XFD)", 0, 1), "SUM(#REF!)");
  EXPECT_EQ(ShiftFormula("SUM(1048576:1048576)", 1, 0), "SUM(#REF!)");
  // Moved to the far corner, the shortest references grow fivefold.
  EXPECT_EQ(ShiftFormula("a1+1:1", 1048575, 16383), "XFD1048576+1048576:1048576");
}

// Moving there and back gives the formula as it was, whenever nothing fell off the sheet on the
// way; not moving at all changes nothing.
TEST(ShiftFormula, MovingThereAndBackIsTheIdentity) {
  const char* formulas[] = {
      "A1*2+$A$1",
      "SUM($A1:A$3)",
      "\"a&b\"&A1<3",
      "SUMPRODUCT(((calNames=I3)*(calTiers=$K$2))*calHours)",
      "IF(ISBLANK(B16), \"Düsseldorf\", B16)",
      "SUM(A10:A14*B10:B14)",
      "VLOOKUP(C5,'Price list'!$A$2:$D$500,4,FALSE)+Data!B$7",
      "SUM(C:C)-SUM(5:5)+COUNTIF($D:$E,\">0\")",
      "_xlfn.IFS(AB12>1,LOG10(XA3),TRUE,ATAN2(A1,B1))",
      "[1]Sheet1!$B2+Table1[[#This Row],[Qty]]*Rate",
      "{1,2;3,4}*H7^2-1.5E-3",
      "IFERROR(1/F9,#DIV/0!)",
  };
  const std::pair<int, int> moves[] = {{0, 0}, {1, 0}, {0, 1}, {7, 3}, {250, 40}, {-2, -1}};
  for (const char* f : formulas) {
    EXPECT_EQ(ShiftFormula(f, 0, 0), f);
    for (const auto& [rows, cols] : moves) {
      const std::string there = ShiftFormula(f, rows, cols);
      if (there.find("#REF!") != std::string::npos) {
        continue;
      }
      EXPECT_EQ(ShiftFormula(there, -rows, -cols), f) << f << " by " << rows << "," << cols;
    }
  }
}

}  // namespace
}  // namespace ombrix::sheet::xlsx
