// Relationship targets resolved to entry names.

#include "sheet/xlsx/part_names.h"

#include <gtest/gtest.h>

namespace ombrix::sheet::xlsx {
namespace {

TEST(ResolveTarget, RelativeTargetsCountFromTheSourceFolder) {
  EXPECT_EQ(ResolveTarget("xl/workbook.xml", "worksheets/sheet1.xml"), "xl/worksheets/sheet1.xml");
  EXPECT_EQ(ResolveTarget("xl/workbook.xml", "./worksheets/./sheet1.xml"),
            "xl/worksheets/sheet1.xml");
  EXPECT_EQ(ResolveTarget("xl/sub/workbook.xml", "../worksheets/s.xml"), "xl/worksheets/s.xml");
  EXPECT_EQ(ResolveTarget("", "xl/workbook.xml"), "xl/workbook.xml");
  EXPECT_EQ(ResolveTarget("book.xml", "sheet.xml"), "sheet.xml");
}

TEST(ResolveTarget, AbsoluteTargetsCountFromTheRoot) {
  EXPECT_EQ(ResolveTarget("xl/workbook.xml", "/xl/worksheets/sheet1.xml"),
            "xl/worksheets/sheet1.xml");
  EXPECT_EQ(ResolveTarget("a/b/c.xml", "/x.xml"), "x.xml");
}

TEST(ResolveTarget, PercentEscapesAreDecoded) {
  EXPECT_EQ(ResolveTarget("xl/workbook.xml", "worksheets/my%20sheet.xml"),
            "xl/worksheets/my sheet.xml");
}

TEST(ResolveTarget, TargetsLeavingThePackageOrMalformedAreRefused) {
  EXPECT_EQ(ResolveTarget("xl/workbook.xml", "../../etc/passwd"), std::nullopt);
  EXPECT_EQ(ResolveTarget("", "../x.xml"), std::nullopt);
  EXPECT_EQ(ResolveTarget("xl/workbook.xml", ""), std::nullopt);
  EXPECT_EQ(ResolveTarget("xl/workbook.xml", "/"), std::nullopt);
  EXPECT_EQ(ResolveTarget("xl/workbook.xml", "a%2"), std::nullopt);
  EXPECT_EQ(ResolveTarget("xl/workbook.xml", "a%zz"), std::nullopt);
}

TEST(RelationshipsPartOf, SitsInTheRelsFolderBesideThePart) {
  EXPECT_EQ(RelationshipsPartOf("xl/workbook.xml"), "xl/_rels/workbook.xml.rels");
  EXPECT_EQ(RelationshipsPartOf("book.xml"), "_rels/book.xml.rels");
  EXPECT_EQ(RelationshipsPartOf(""), "_rels/.rels");
}

}  // namespace
}  // namespace ombrix::sheet::xlsx
