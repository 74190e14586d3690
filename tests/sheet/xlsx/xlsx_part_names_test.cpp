// Relationship targets resolved to entry names.

#include "sheet/xlsx/part_names.h"

#include <gtest/gtest.h>

namespace ombrix::sheet::xlsx {
namespace {

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

}  // namespace
}  // namespace ombrix::sheet::xlsx
