// The package under a workbook: the ZIP archive (entries, lookup, and the limits that keep a
// crafted archive from exhausting memory) and the parts found through its relationships.

#include "sheet/xlsx/zip_archive.h"

#include <gtest/gtest.h>

#include <cstring>

#include "error_expect.h"
#include "sheet/xlsx/workbook_parts.h"
#include "sheet/xlsx/xml_part.h"
#include "test_archive.h"

namespace ombrix::sheet::xlsx {
namespace {

using testing::BuildZip;
using testing::Contains;
using testing::Error321;
using testing::PackageRels;
using testing::Rel;
using testing::SheetXml;
using testing::TestEntry;
using testing::WorkbookRels;
using testing::WorkbookXml;

// ZipArchive: entries in order, lookup, and the limits that keep a crafted archive from
// exhausting memory (sizes from the header and the bytes actually inflated).

void PutLe32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) {
    bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
}

// Rewrites the unpacked size of the archive's only entry in both of its headers.
void ForgeUnpackedSize(std::vector<std::uint8_t>& bytes, std::uint32_t size) {
  ASSERT_EQ(std::memcmp(bytes.data(), "PK\x03\x04", 4), 0);
  PutLe32(bytes, 22, size);
  for (std::size_t i = bytes.size() - 4; i-- > 0;) {
    if (std::memcmp(bytes.data() + i, "PK\x01\x02", 4) == 0) {
      PutLe32(bytes, i + 24, size);
      return;
    }
  }
  FAIL() << "no central directory entry";
}

TEST(ZipArchiveEntries, ListsEntriesInStoredOrderAndReadsThem) {
  const auto bytes = BuildZip({{"b.xml", "<b/>"}, {"a/x.txt", "hello", true}, {"c", ""}});
  const ZipArchive archive = ZipArchive::OpenBytes(bytes, "t.xlsx");
  std::vector<std::pair<std::string, std::string>> read;
  for (const ZipEntry& e : archive.entries()) {
    read.emplace_back(e.name, archive.Read(e));
  }
  EXPECT_EQ(read, (decltype(read){{"b.xml", "<b/>"}, {"a/x.txt", "hello"}, {"c", ""}}));
}

TEST(ZipArchiveEntries, FindPrefersExactCaseThenIgnoresCase) {
  const auto bytes = BuildZip({{"XL/Workbook.xml", "1"}, {"xl/workbook.xml", "2"}, {"d/Za", "3"}});
  const ZipArchive archive = ZipArchive::OpenBytes(bytes, "t.xlsx");
  ASSERT_NE(archive.Find("xl/workbook.xml"), nullptr);
  EXPECT_EQ(archive.Read(*archive.Find("xl/workbook.xml")), "2");
  // Z and A, the two ends of the letters told apart by case.
  ASSERT_NE(archive.Find("D/zA"), nullptr);
  EXPECT_EQ(archive.Find("D/zA")->name, "d/Za");
  EXPECT_EQ(archive.Find("d/F"), nullptr);
}

TEST(ZipArchiveLimits, EntryLargerThanTheSizeLimitIsRefusedByName) {
  std::string text;
  for (int i = 0; i < 1000; ++i) {
    text += std::to_string(i * 7919 % 1000);
  }
  const auto bytes = BuildZip({{"xl/big.xml", text}});
  const ZipArchive archive = ZipArchive::OpenBytes(bytes, "big.xlsx", ZipLimits{1000, 200});
  const std::string why = Error321([&] { archive.Read(archive.entries()[0]); });
  for (const char* part : {"big.xlsx", "xl/big.xml", "上限"}) {
    EXPECT_TRUE(Contains(why, part)) << why;
  }
  // Under a limit it fits, it reads.
  const ZipArchive roomy = ZipArchive::OpenBytes(bytes, "big.xlsx", ZipLimits{1 << 20, 200});
  EXPECT_EQ(roomy.Read(roomy.entries()[0]), text);
}

TEST(ZipArchiveLimits, HighlyCompressedEntryIsRefusedAsABomb) {
  const auto bytes = BuildZip({{"xl/worksheets/sheet1.xml", std::string(4 << 20, '\0')}});
  const ZipArchive archive = ZipArchive::OpenBytes(bytes, "bomb.xlsx");
  ASSERT_GT(archive.entries()[0].size, 200 * archive.entries()[0].compressed_size);
  const std::string why = Error321([&] { archive.Read(archive.entries()[0]); });
  EXPECT_TRUE(Contains(why, "xl/worksheets/sheet1.xml")) << why;
  EXPECT_TRUE(Contains(why, "200:1")) << why;
  const ZipArchive lenient = ZipArchive::OpenBytes(bytes, "bomb.xlsx", ZipLimits{8 << 20, 100000});
  EXPECT_EQ(lenient.Read(lenient.entries()[0]).size(), std::size_t{4} << 20);
  // Exactly the ratio limit is allowed: 400 bytes stored are 400:400.
  const auto stored = BuildZip({{"a", std::string(400, 'a'), true}});
  const ZipArchive exact = ZipArchive::OpenBytes(stored, "t.xlsx", ZipLimits{1000, 1});
  EXPECT_EQ(exact.Read(exact.entries()[0]).size(), 400u);
}

TEST(ZipArchiveLimits, HeaderUnderstatingTheSizeIsCaughtByCountingInflatedBytes) {
  std::string text;
  for (int i = 0; i < 3000; ++i) {
    text += std::to_string(i);
  }
  auto bytes = BuildZip({{"xl/sheet.xml", text}});
  ForgeUnpackedSize(bytes, 100);
  const ZipArchive archive = ZipArchive::OpenBytes(bytes, "liar.xlsx");
  ASSERT_EQ(archive.entries()[0].size, 100u);
  const std::string why = Error321([&] { archive.Read(archive.entries()[0]); });
  EXPECT_TRUE(Contains(why, "xl/sheet.xml")) << why;
  EXPECT_TRUE(Contains(why, "を超えています")) << why;
}

TEST(ZipArchiveLimits, HeaderOverstatingTheSizeIsCaught) {
  auto bytes = BuildZip({{"xl/sheet.xml", std::string(300, 'x') + "0123456789"}});
  ForgeUnpackedSize(bytes, 5000);
  const std::string why = Error321([&] {
    const ZipArchive archive = ZipArchive::OpenBytes(bytes, "liar.xlsx");
    archive.Read(archive.entries()[0]);
  });
  EXPECT_TRUE(Contains(why, "liar.xlsx")) << why;
}

TEST(ZipArchiveOpen, EmptyGarbageAndTruncatedBytesAreNotWorkbooks) {
  const std::string empty = Error321([] { ZipArchive::OpenBytes({}, "empty.xlsx"); });
  EXPECT_TRUE(Contains(empty, "empty.xlsx") && Contains(empty, "空")) << empty;
  const std::vector<std::uint8_t> text = {'h', 'e', 'l', 'l', 'o', ',', 'w', 'o', 'r', 'l', 'd'};
  EXPECT_TRUE(Contains(Error321([&] { ZipArchive::OpenBytes(text, "text.xlsx"); }), "text.xlsx"));
  // Cut inside the end record, the central directory, the data and the first header.
  const auto bytes = BuildZip({{"a.xml", std::string(5000, 'a')}, {"b.xml", "bbbb"}});
  for (const std::size_t keep :
       {bytes.size() - 10, bytes.size() - 40, bytes.size() / 2, std::size_t{30}, std::size_t{4}}) {
    const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(keep));
    const std::string why = Error321([&] { ZipArchive::OpenBytes(cut, "cut.xlsx"); });
    EXPECT_TRUE(Contains(why, "cut.xlsx")) << keep << ": " << why;
  }
}

// Data that inflate cleanly to the stated size but not to the stated checksum.
TEST(ZipArchiveOpen, ChecksumThatDoesNotMatchTheDataIsAnError) {
  auto bytes = BuildZip({{"xl/sheet.xml", std::string(3000, 'q') + "tail"}});
  ASSERT_EQ(std::memcmp(bytes.data(), "PK\x03\x04", 4), 0);
  bytes[14] ^= 0x01;  // the local header's CRC-32
  for (std::size_t i = bytes.size() - 4; i-- > 0;) {
    if (std::memcmp(bytes.data() + i, "PK\x01\x02", 4) == 0) {
      bytes[i + 16] ^= 0x01;  // and the central directory's
      break;
    }
  }
  const ZipArchive archive = ZipArchive::OpenBytes(bytes, "sum.xlsx");
  ASSERT_TRUE(archive.entries()[0].deflated);
  const std::string why = Error321([&] { archive.Read(archive.entries()[0]); });
  EXPECT_TRUE(Contains(why, "xl/sheet.xml") && Contains(why, "CRC")) << why;
}

TEST(ZipArchiveOpen, DamagedDataIsAnErrorNotGarbage) {
  auto bytes = BuildZip({{"a.xml", std::string(2000, 'a') + std::string(2000, 'b')}});
  // Flip bytes in the middle of the deflated data (after the 30-byte local header and name).
  for (std::size_t i = 40; i < 50 && i < bytes.size(); ++i) {
    bytes[i] ^= 0x5A;
  }
  Error321([&] {
    const ZipArchive archive = ZipArchive::OpenBytes(bytes, "bad.xlsx");
    archive.Read(archive.entries()[0]);
  });
}

// LocateWorkbookParts: the workbook, its active sheet, shared strings and styles found through
// the relationships, with targets relative, absolute or dotted.

WorkbookParts Locate(const std::vector<TestEntry>& entries) {
  const auto bytes = BuildZip(entries);
  return LocateWorkbookParts(ZipArchive::OpenBytes(bytes, "book.xlsx"));
}

// What was located: workbook, active sheet name and part, shared strings, styles, 1904 dates.
using Parts = std::tuple<std::string, std::string, std::string, std::string, std::string, bool>;
Parts Summary(const WorkbookParts& p) {
  return {p.workbook, p.active_sheet_name, p.active_sheet, p.shared_strings, p.styles, p.date1904};
}

const std::string kTwoSheets =
    R"(<sheet name="first" sheetId="1" r:id="rId1"/><sheet name="second" sheetId="2" r:id="rId2"/>)";

TEST(WorkbookParts, ActiveTabPicksTheSheetAndTargetsResolve) {
  const WorkbookParts parts = Locate({
      {"_rels/.rels", PackageRels()},
      {"xl/workbook.xml", WorkbookXml(kTwoSheets, 1)},
      {"xl/_rels/workbook.xml.rels",
       WorkbookRels(Rel("rId1", "worksheet", "worksheets/sheet1.xml") +
                    Rel("rId2", "worksheet", "/xl/worksheets/sheet2.xml") +
                    Rel("rId3", "sharedStrings", "./strings/../sharedStrings.xml") +
                    Rel("rId4", "styles", "styles.xml"))},
      {"xl/worksheets/sheet1.xml", SheetXml("")},
      {"xl/worksheets/sheet2.xml", SheetXml("")},
      {"xl/sharedStrings.xml", "<sst/>"},
      {"xl/styles.xml", "<styleSheet/>"},
  });
  EXPECT_EQ(Summary(parts), (Parts{"xl/workbook.xml", "second", "xl/worksheets/sheet2.xml",
                                   "xl/sharedStrings.xml", "xl/styles.xml", false}));
}

TEST(WorkbookParts, WorkbookElsewhereIsFoundThroughThePackageRelationships) {
  const WorkbookParts parts = Locate({
      {"_rels/.rels", PackageRels("/book/main.xml")},
      {"book/main.xml",
       R"(<x:workbook xmlns:x="m" xmlns:rel="r"><x:workbookPr date1904="1"/><x:sheets>)"
       R"(<x:sheet name="only" rel:id="s1"/></x:sheets></x:workbook>)"},
      {"book/_rels/main.xml.rels", WorkbookRels(Rel("s1", "worksheet", "../sheets/s.xml"))},
      {"sheets/s.xml", SheetXml("")},
  });
  EXPECT_EQ(Summary(parts), (Parts{"book/main.xml", "only", "sheets/s.xml", "", "", true}));
}

TEST(WorkbookParts, WithoutPackageRelationshipsTheUsualNameIsUsed) {
  const WorkbookParts parts = Locate({
      {"xl/workbook.xml", WorkbookXml(R"(<sheet name="a" r:id="rId1"/>)")},
      {"xl/_rels/workbook.xml.rels", WorkbookRels(Rel("rId1", "worksheet", "worksheets/a.xml"))},
      {"xl/worksheets/a.xml", SheetXml("")},
      {"xl/sharedStrings.xml", "<sst/>"},
  });
  EXPECT_EQ(parts.active_sheet, "xl/worksheets/a.xml");
  EXPECT_EQ(parts.shared_strings, "xl/sharedStrings.xml");  // found by name, not relationship
}

std::vector<TestEntry> WithWorkbook(const std::string& workbook, const std::string& rels) {
  return {{"xl/workbook.xml", workbook},
          {"xl/_rels/workbook.xml.rels", rels},
          {"xl/worksheets/sheet1.xml", SheetXml("")}};
}

const std::string kOneSheet = WorkbookXml(R"(<sheet name="s" r:id="rId1"/>)");
const std::string kSheetRel = WorkbookRels(Rel("rId1", "worksheet", "worksheets/sheet1.xml"));

TEST(WorkbookPartsErrors, EachMissingOrBrokenPieceIsNamed) {
  const auto rels = [](const char* kind, const char* target) {
    return WorkbookRels(Rel("rId1", kind, target));
  };
  const std::pair<std::vector<TestEntry>, const char*> cases[] = {
      {WithWorkbook(WorkbookXml(kTwoSheets, 2), kSheetRel), "activeTab=2"},
      {WithWorkbook(WorkbookXml(""), kSheetRel), "シートが 1 枚もありません"},
      {{{"xl/workbook.xml", kOneSheet}, {"xl/worksheets/sheet1.xml", ""}},
       "xl/_rels/workbook.xml.rels がありません"},
      {WithWorkbook(kOneSheet, WorkbookRels(Rel("rId9", "worksheet", "x"))), "rId1"},
      {WithWorkbook(kOneSheet, rels("chartsheet", "worksheets/sheet1.xml")),
       "the active sheet is a chart; make a worksheet active and save"},
      {WithWorkbook(kOneSheet, rels("dialogsheet", "worksheets/sheet1.xml")),
       "ワークシートではありません"},
      {WithWorkbook(kOneSheet, rels("worksheet", "../../outside.xml")), "../../outside.xml"},
      {WithWorkbook(kOneSheet, WorkbookRels(Rel("rId1", "worksheet", "worksheets/sheet1.xml") +
                                            Rel("rId2", "sharedStrings", "missing.xml"))),
       "missing.xml"},
      {{{"_rels/.rels", PackageRels("xl/nowhere.xml")}, {"xl/workbook.xml", kOneSheet}},
       "xl/nowhere.xml"},
      {WithWorkbook(R"(<!DOCTYPE workbook [<!ENTITY e "x">]><workbook>&e;</workbook>)", kSheetRel),
       "DOCTYPE"},
      {WithWorkbook("<workbook><sheets>", kSheetRel), "xl/workbook.xml"},
      {WithWorkbook("<book/>", kSheetRel), "book"}};
  for (const auto& [entries, says] : cases) {
    const std::string why = Error321([&] { Locate(entries); });
    EXPECT_TRUE(Contains(why, says)) << why;
  }
}

TEST(WorkbookParts, MoreSheetsThanTheCapAreRefused) {
  const auto book = [](std::size_t count) {
    std::string sheets;
    for (std::size_t i = 1; i <= count; ++i) {
      sheets += "<sheet name=\"S" + std::to_string(i) + "\" sheetId=\"1\" r:id=\"rId1\"/>";
    }
    return std::vector<TestEntry>{
        {"_rels/.rels", PackageRels()},
        {"xl/workbook.xml", WorkbookXml(sheets)},
        {"xl/_rels/workbook.xml.rels", WorkbookRels(Rel("rId1", "worksheet", "s.xml"))},
        {"xl/s.xml", SheetXml("")}};
  };
  // The message is pinned by the hostile many-sheets workbook's command test.
  Error321([&] { Locate(book(65536)); });
  EXPECT_EQ(Locate(book(65535)).active_sheet_name, "S1");
}

TEST(WorkbookParts, APartTooLongForATreeIsRefusedBeforeParsing) {
  std::string padded = WorkbookXml(kTwoSheets);
  padded.insert(padded.find("<sheets>"), kMaxTreePartBytes, ' ');
  const std::string why = Error321([&] { ParseXmlPart(padded, "book.xlsx", "xl/workbook.xml"); });
  EXPECT_TRUE(Contains(why, "xl/workbook.xml")) << why;
  EXPECT_TRUE(Contains(why, "上限の 64 MiB を超えます")) << why;
}

}  // namespace
}  // namespace ombrix::sheet::xlsx
