// ZipArchive: entries in order, lookup, and the limits that keep a crafted archive from
// exhausting memory (sizes from the header and the bytes actually inflated).

#include "sheet/xlsx/zip_archive.h"

#include <gtest/gtest.h>

#include <cstring>

#include "error_expect.h"
#include "test_archive.h"

namespace ombrix::sheet::xlsx::testing {
namespace {

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

}  // namespace
}  // namespace ombrix::sheet::xlsx::testing
