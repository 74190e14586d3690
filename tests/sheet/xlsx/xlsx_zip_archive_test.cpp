// ZipArchive: entries in order, lookup, and the limits that keep a crafted archive from
// exhausting memory (sizes from the header and the bytes actually inflated).

#include "sheet/xlsx/zip_archive.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "error_expect.h"
#include "test_archive.h"

namespace ombrix::sheet::xlsx::testing {
namespace {

// Text that deflates to well under 200:1.
std::string Digits(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += std::to_string(i * 7919 % 1000);
  }
  return text;
}

// Offsets `local` into the local header and `central` into the central directory's header of
// an archive's only entry get `v` (at() refuses an offset past the end).
void PutLe32(std::vector<std::uint8_t>& bytes, std::size_t local, std::size_t central,
             std::uint32_t v) {
  const std::uint8_t signature[] = {'P', 'K', 1, 2};
  const std::size_t at = static_cast<std::size_t>(
      std::search(bytes.begin(), bytes.end(), std::begin(signature), std::end(signature)) -
      bytes.begin());
  for (int i = 0; i < 4; ++i) {
    bytes.at(local + i) = static_cast<std::uint8_t>(v >> (8 * i));
    bytes.at(at + central + i) = static_cast<std::uint8_t>(v >> (8 * i));
  }
}

TEST(ZipArchiveEntries, ListsEntriesInStoredOrderReadsAndFindsThem) {
  const auto bytes = BuildZip({{"b.xml", "<b/>"}, {"a/x.txt", "hello", true}, {"c", ""}});
  const ZipArchive listed = ZipArchive::OpenBytes(bytes, "t.xlsx");
  std::vector<std::pair<std::string, std::string>> read;
  for (const ZipEntry& e : listed.entries()) {
    read.emplace_back(e.name, listed.Read(e));
  }
  EXPECT_EQ(read, (decltype(read){{"b.xml", "<b/>"}, {"a/x.txt", "hello"}, {"c", ""}}));

  // Find prefers the exact case, then ignores case.
  const auto cased = BuildZip({{"XL/Workbook.xml", "1"}, {"xl/workbook.xml", "2"}, {"d/Za", "3"}});
  const ZipArchive archive = ZipArchive::OpenBytes(cased, "t.xlsx");
  ASSERT_NE(archive.Find("xl/workbook.xml"), nullptr);
  EXPECT_EQ(archive.Read(*archive.Find("xl/workbook.xml")), "2");
  // Z and A, the two ends of the letters told apart by case.
  ASSERT_NE(archive.Find("D/zA"), nullptr);
  EXPECT_EQ(archive.Find("D/zA")->name, "d/Za");
  EXPECT_EQ(archive.Find("d/F"), nullptr);
}

TEST(ZipArchiveLimits, EntryLargerThanTheSizeLimitIsRefusedByName) {
  const std::string text = Digits(1000);
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

// An understated size is caught by counting the bytes inflated, an overstated one too.
TEST(ZipArchiveLimits, HeaderSizesThatDoNotMatchTheDataAreCaught) {
  auto bytes = BuildZip({{"xl/sheet.xml", Digits(3000)}});
  PutLe32(bytes, 22, 24, 100);  // the unpacked size
  const ZipArchive archive = ZipArchive::OpenBytes(bytes, "liar.xlsx");
  ASSERT_EQ(archive.entries()[0].size, 100u);
  const std::string why = Error321([&] { archive.Read(archive.entries()[0]); });
  EXPECT_TRUE(Contains(why, "xl/sheet.xml")) << why;
  EXPECT_TRUE(Contains(why, "を超えています")) << why;

  auto over = BuildZip({{"xl/sheet.xml", std::string(300, 'x') + "0123456789"}});
  PutLe32(over, 22, 24, 5000);
  const std::string over_why = Error321([&] {
    const ZipArchive liar = ZipArchive::OpenBytes(over, "liar.xlsx");
    liar.Read(liar.entries()[0]);
  });
  EXPECT_TRUE(Contains(over_why, "liar.xlsx")) << over_why;
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

// Data that inflate cleanly to the stated size but not to the stated checksum; data that do
// not inflate.
TEST(ZipArchiveOpen, ChecksumMismatchAndDamagedDataAreErrorsNotGarbage) {
  auto bytes = BuildZip({{"xl/sheet.xml", std::string(3000, 'q') + "tail"}});
  PutLe32(bytes, 14, 16, 0);  // the CRC-32
  const ZipArchive archive = ZipArchive::OpenBytes(bytes, "sum.xlsx");
  ASSERT_TRUE(archive.entries()[0].deflated);
  const std::string why = Error321([&] { archive.Read(archive.entries()[0]); });
  EXPECT_TRUE(Contains(why, "xl/sheet.xml") && Contains(why, "CRC")) << why;

  auto damaged = BuildZip({{"a.xml", std::string(2000, 'a') + std::string(2000, 'b')}});
  // Flip bytes in the middle of the deflated data (after the 30-byte local header and name).
  for (std::size_t i = 40; i < 50 && i < damaged.size(); ++i) {
    damaged[i] ^= 0x5A;
  }
  Error321([&] {
    const ZipArchive bad = ZipArchive::OpenBytes(damaged, "bad.xlsx");
    bad.Read(bad.entries()[0]);
  });
}

}  // namespace
}  // namespace ombrix::sheet::xlsx::testing
