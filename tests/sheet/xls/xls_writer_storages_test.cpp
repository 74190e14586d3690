// Writing into .xls workbooks whose compound file holds storages beside the Workbook stream
// (VBA projects, embedded objects, custom XML): the cells land, and every other stream and
// storage comes back unchanged with its class ID, the root's class ID too.

#include <freexl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "sheet/edit_workbook.h"
#include "sheet/xls/ole_entry.h"
#include "sheet/xls/ole_stream.h"
#include "sheet/xls/ole_tree_reader.h"
#include "sheet/xls/ole_writer.h"
#include "sheet/xls/xls_reader.h"
#include "sheet/xls/xls_test_helpers.h"
#include "sheet/xlsx/error_expect.h"

namespace ombrix::sheet {
namespace {

using xls::OleEntry;
using xls::testing::ByteVec;
using xls::testing::Fixture;
using xls::testing::OleView;
using xls::testing::ReadFile;

// The tree without the Workbook stream's bytes, which the write-back changes.
OleEntry Unpatched(OleEntry tree) {
  xls::FindChild(tree, "Workbook")->data.clear();
  return tree;
}

// The number FreeXL, an independent reader, sees at (row, col) of the sheet named `sheet`; NaN
// when it reads none. (FreeXL's own "active worksheet" is only its current selection, so the
// sheet is found by name.)
double FreeXlNumber(const ByteVec& file, const std::string& sheet, int row, int col) {
  const xls::testing::FreeXlBook book(file);
  unsigned int count = 0;
  if (book.h != nullptr && freexl_get_info(book.h, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK)
    count = 0;
  for (unsigned short i = 0; i < count; ++i) {
    const char* name = nullptr;
    if (freexl_get_worksheet_name(book.h, i, &name) == FREEXL_OK && name != nullptr &&
        sheet == name && book.Select(i))
      return book.Number(row, col).value_or(std::nan(""));
  }
  return std::nan("");
}

TEST(XlsWriterStorages, RealWorkbooksKeepTheirMacrosAndObjects) {
  int written = 0;
  for (const auto& entry : std::filesystem::directory_iterator(Fixture("storages"))) {
    if (entry.path().extension() != ".xls")
      continue;
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    const ByteVec file = ReadFile(entry.path().string());
    const std::vector<CellEdit> edits = {{300, 12, 1234.5, true}, {301, 12, -0.25, false}};
    const ByteVec out = EditWorkbookBytes(file, name, edits);
    ++written;

    const OleEntry before = xls::ReadCompoundTree(file);
    const OleEntry after = xls::ReadCompoundTree(out);
    EXPECT_EQ(xls::FirstDifference(Unpatched(before), Unpatched(after)), std::nullopt);
    EXPECT_EQ(after.class_id, before.class_id);
    EXPECT_NE(xls::FindChild(after, "Workbook")->data, xls::FindChild(before, "Workbook")->data);

    const auto book = ReadXlsBytes(out, name);
    EXPECT_EQ(book->Cell(300, 12), CellValue::Number(1234.5));
    EXPECT_EQ(book->Cell(301, 12), CellValue::Number(-0.25));
    EXPECT_EQ(FreeXlNumber(out, book->ActiveSheetName(), 300, 12), 1234.5);
  }
  EXPECT_EQ(written, 6);
}

// mesh_small.lo.xls given a VBA project, an embedded object and an object pool, with class IDs
// on the root and on the storages.
ByteVec WithStorages(const ByteVec& xls) {
  OleEntry root;
  root.name = "Root Entry";
  root.is_storage = true;
  root.class_id = {0x20, 0x08, 0x02, 0x00, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
  auto stream = [](const char* n, std::size_t size) {
    OleEntry e{n, false, {}, ByteVec(size), {}};
    for (std::size_t i = 0; i < size; ++i)
      e.data[i] = static_cast<std::uint8_t>(i * 7 + size);
    return e;
  };
  auto storage = [](const char* n, std::uint8_t id, std::vector<OleEntry> children) {
    OleEntry e{n, true, {}, {}, std::move(children)};
    e.class_id.fill(id);
    return e;
  };
  root.children = {
      stream("\x05SummaryInformation", 180),
      storage("_VBA_PROJECT_CUR", 0,
              {stream("PROJECT", 400), stream("PROJECTwm", 60),
               storage("VBA", 0,
                       {stream("dir", 650), stream("ThisWorkbook", 5200),
                        stream("_VBA_PROJECT", 3000)})}),
      storage("MBD00A1B2C3", 0x5A, {stream("\x01Ole", 20), stream("CONTENTS", 9000)}),
      storage("ObjectPool", 0, {}),
      {"Workbook", false, {}, xls::ReadWorkbookStream(xls), {}},
  };
  return xls::WriteCompoundFile(root);
}

TEST(XlsWriterStorages, BuiltStoragesAndClassIdsAreCopied) {
  const ByteVec file = WithStorages(ReadFile(Fixture("mesh_small.lo.xls")));
  const ByteVec out = EditWorkbookBytes(file, "macros.xls", {{{7, 8, 42.0, true}}});
  const OleEntry before = xls::ReadCompoundTree(file);
  const OleEntry after = xls::ReadCompoundTree(out);
  EXPECT_EQ(xls::FirstDifference(Unpatched(before), Unpatched(after)), std::nullopt);
  EXPECT_EQ(xls::FindChild(after, "MBD00A1B2C3")->class_id[15], 0x5A);
  EXPECT_EQ(ReadXlsBytes(out, "macros.xls")->Cell(7, 8), CellValue::Number(42.0));

  // Read straight from the bytes, not through libgsf: the root entry (the first directory
  // entry) carries Excel's class ID at 0x50, and the Workbook's data starts the file's sectors
  // (some readers misread a workbook stream that does not come first).
  ByteVec copy = out;
  OleView ole{copy};
  const std::size_t root = ole.sector_offset(ole.u32(0x30));
  EXPECT_EQ(ole.u32(root + 0x50), 0x00020820u);
  EXPECT_EQ(ole.u32(root + 0x5C), 0x46000000u);
  EXPECT_EQ(ole.u32(ole.dirent_offset("Workbook") + 0x74), 0u);
}

// What the compound-file writer cannot reproduce is caught by the read-back check: a stream
// with a class ID (libgsf writes none) makes the write-back refuse, naming the stream.
TEST(XlsWriterStorages, WhatDoesNotReadBackTheSameIsRefused) {
  OleEntry tree = xls::ReadCompoundTree(WithStorages(ReadFile(Fixture("mesh_small.lo.xls"))));
  xls::FindChild(*xls::FindChild(tree, "MBD00A1B2C3"), "CONTENTS")->class_id.fill(1);
  // Written by hand with the class ID in place: libgsf's writer would drop it.
  ByteVec file = xls::WriteCompoundFile(tree);
  OleView ole{file};
  const std::size_t contents = ole.dirent_offset("CONTENTS");
  for (std::size_t i = 0; i < 16; ++i)
    file[contents + 0x50 + i] = 1;
  ASSERT_EQ(xls::FirstDifference(xls::ReadCompoundTree(file), tree), std::nullopt);

  const std::string d = xlsx::testing::Error321([&] {
    EditWorkbookBytes(file, "objects.xls", {{{7, 8, 42.0, true}}});
  });
  EXPECT_NE(d.find("\"MBD00A1B2C3/CONTENTS\" が元と一致しません"), std::string::npos) << d;
  EXPECT_NE(d.find("元のファイルはそのままです"), std::string::npos) << d;
}

}  // namespace
}  // namespace ombrix::sheet
