// Compound files as trees: read through libgsf, written through libgsf, and read again to the
// same tree, with nested storages, class IDs and the real workbooks' VBA projects.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "sheet/xls/ole_entry.h"
#include "sheet/xls/ole_tree_reader.h"
#include "sheet/xls/ole_writer.h"
#include "sheet/xls/xls_format_error.h"
#include "sheet/xls/xls_test_helpers.h"

namespace ombrix::sheet::xls {
namespace {

using namespace testing;  // NOLINT

using ClassId = std::array<std::uint8_t, 16>;

// Excel's workbook class, 00020820-0000-0000-C000-000000000046, as stored.
constexpr ClassId kExcelClass = {0x20, 0x08, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

ClassId Id(std::uint8_t seed) {
  ClassId id{};
  for (std::size_t i = 0; i < id.size(); ++i)
    id[i] = static_cast<std::uint8_t>(seed + 7 * i);
  return id;
}

ByteVec Bytes(std::size_t n, std::uint8_t seed) {
  ByteVec b(n);
  for (std::size_t i = 0; i < n; ++i)
    b[i] = static_cast<std::uint8_t>(seed + i * 31 + (i >> 8));
  return b;
}

OleEntry Stream(std::string name, ByteVec data) {
  return {std::move(name), false, {}, std::move(data), {}};
}
OleEntry Storage(std::string name, ClassId id, std::vector<OleEntry> children) {
  return {std::move(name), true, id, {}, std::move(children)};
}

// Entries sorted by name: a reader lists them in the directory's own order.
OleEntry Sorted(OleEntry e) {
  for (OleEntry& c : e.children)
    c = Sorted(std::move(c));
  std::sort(e.children.begin(), e.children.end(),
            [](const OleEntry& a, const OleEntry& b) { return a.name < b.name; });
  return e;
}

// A workbook-like tree: small and big streams (mini stream and regular sectors), an empty
// stream, an empty storage, storages three deep with their own class IDs, names beyond ASCII.
OleEntry BuiltTree() {
  OleEntry root = Storage("Root Entry", kExcelClass, {});
  root.children = {
      Stream("Workbook", Bytes(9000, 1)),
      Storage("_VBA_PROJECT_CUR", Id(3),
              {Stream("PROJECT", Bytes(300, 2)), Stream("PROJECTwm", Bytes(40, 3)),
               Storage("VBA", Id(5),
                       {Stream("dir", Bytes(700, 4)), Stream("Module1", Bytes(5000, 5)),
                        Stream("_VBA_PROJECT", Bytes(7, 6)),
                        Storage("Deeper", Id(9), {Stream("x", Bytes(4096, 7))})})}),
      Storage("MBD0001A2B3", Id(11), {Stream("\x01Ole", Bytes(20, 8)), Stream("CONTENTS", {})}),
      Storage("ObjectPool", {}, {}),
      Stream("\x05SummaryInformation", Bytes(200, 9)),
      Stream("Лист1", Bytes(990, 10)),
  };
  return root;
}

TEST(OleTree, WrittenTreeReadsBackWithEveryStorageAndClassId) {
  const OleEntry built = BuiltTree();
  const ByteVec file = WriteCompoundFile(built);
  const OleEntry read = ReadCompoundTree(file);
  EXPECT_EQ(FirstDifference(Sorted(read), Sorted(built)), std::nullopt);
  // Names are found whatever their case, as in the compound file's own lookups.
  EXPECT_EQ(FindChild(read, "_vba_project_cur"), FindChild(read, "_VBA_PROJECT_CUR"));
  EXPECT_NE(FindChild(read, "_vba_project_cur"), nullptr);

  // Written again, it reads back in the very same order, as the write-back's check needs.
  EXPECT_EQ(FirstDifference(ReadCompoundTree(WriteCompoundFile(read)), read), std::nullopt);
}

TEST(OleTree, FirstDifferenceNamesTheEntry) {
  const OleEntry a = ReadCompoundTree(WriteCompoundFile(BuiltTree()));

  // Each change, made to a copy, is named by the path of the entry it touched.
  const std::pair<std::function<void(OleEntry&)>, const char*> changes[] = {
      {[](OleEntry& b) {
         FindChild(*FindChild(*FindChild(b, "_VBA_PROJECT_CUR"), "VBA"), "dir")->data[10] ^= 1;
       },
       "_VBA_PROJECT_CUR/VBA/dir"},
      {[](OleEntry& b) { FindChild(b, "MBD0001A2B3")->class_id[0] ^= 1; }, "MBD0001A2B3"},
      {[](OleEntry& b) { b.class_id = {}; }, "/"},
      {[](OleEntry& b) {
         std::erase_if(FindChild(b, "MBD0001A2B3")->children,
                       [](const OleEntry& e) { return e.name == "CONTENTS"; });
       },
       "MBD0001A2B3"},
      {[](OleEntry& b) { FindChild(b, "\x05SummaryInformation")->data.push_back(0); },
       "\\x05SummaryInformation"},
      {[](OleEntry& b) { FindChild(b, "Лист1")->name = "Лист2"; }, "Лист1"},
      {[](OleEntry& b) { FindChild(b, "ObjectPool")->is_storage = false; }, "ObjectPool"},
  };
  for (const auto& [change, path] : changes) {
    OleEntry b = a;
    change(b);
    EXPECT_EQ(FirstDifference(a, b), path);
  }
}

// Storages nested `depth` deep below the root, a stream at the bottom.
OleEntry Nested(int depth) {
  OleEntry bottom = Stream("leaf", Bytes(10, 1));
  for (int i = depth; i >= 1; --i)
    bottom = Storage("s" + std::to_string(i), {}, {bottom});
  OleEntry root = Storage("Root Entry", {}, {});
  root.children.push_back(std::move(bottom));
  return root;
}

TEST(OleTree, RefusesStoragesNestedBeyondTheLimit) {
  const OleEntry deepest = Nested(kMaxStorageDepth);
  EXPECT_EQ(FirstDifference(ReadCompoundTree(WriteCompoundFile(deepest)), deepest), std::nullopt);
  // The message names the storage one level too deep by its whole path.
  std::string path = "s1";
  for (int i = 2; i <= kMaxStorageDepth + 1; ++i)
    path += "/s" + std::to_string(i);
  const std::string why =
      BrokenError([] { ReadCompoundTree(WriteCompoundFile(Nested(kMaxStorageDepth + 1))); });
  EXPECT_NE(why.find("\"" + path + "\" の入れ子"), std::string::npos) << why;
}

TEST(OleTree, RefusesStreamsThatShareTheirSectors) {
  // Two small streams made to claim the big stream's sectors: together they would cost three
  // times the file. (Four entries, so all lie in the first directory sector.)
  OleEntry root = Storage("Root Entry", {}, {Stream("Big", Bytes(20000, 1))});
  for (const char* name : {"A", "B"})
    root.children.push_back(Stream(name, Bytes(1, 2)));
  ByteVec file = WriteCompoundFile(root);
  OleView ole{file};
  const std::size_t big = ole.dirent_offset("Big");
  for (const char* name : {"A", "B"}) {
    const std::size_t e = ole.dirent_offset(name);
    ole.put32(e + 0x74, ole.u32(big + 0x74));  // start sector
    ole.put32(e + 0x78, 20000);                // size
  }
  const std::string why = BrokenError([&] { ReadCompoundTree(file); });
  EXPECT_NE(why.find("合計"), std::string::npos) << why;
}

}  // namespace
}  // namespace ombrix::sheet::xls
