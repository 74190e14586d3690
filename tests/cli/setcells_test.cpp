#include "cli/setcells_command.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "cli_files.h"

#include "cli/arguments.h"
#include "cli/import_commands.h"
#include "fakes/temp_folder.h"
#include "sheet/open_workbook.h"

namespace ombrix::cli {
namespace {

namespace fs = std::filesystem;

using ombrix::testing::Call;
using ombrix::testing::Content;
using ombrix::testing::ExpectErrorLine;
using ombrix::testing::PlaceFixture;
using ombrix::testing::Printed;

class SetCellsTest : public ::testing::TestWithParam<const char*> {
 protected:
  SetCellsTest() { PlaceFixture(GetParam(), copy_); }
  ombrix::testing::TempFolder dir_;
  const fs::path copy_ = dir_ / GetParam();
};

TEST_P(SetCellsTest, WritesTheCellsDirectlyOrThroughALinkAndLeavesTheRestAsItWas) {
  const std::unique_ptr<Workbook> before = sheet::OpenWorkbook(copy_.string());
  // G6 over a number, H7 over the number 0 (marked), K9 in empty space, A1 over a text.
  EXPECT_EQ(
      Call(SetCells, {copy_.string(), "6,7,-1.25", "7,8,0.1,mark", "9,11,1e-300", "1,1,42"}).text,
      "saved," + copy_.string() + ",4\n");
  const std::unique_ptr<Workbook> after = sheet::OpenWorkbook(copy_.string());
  const std::map<std::pair<int, int>, double> written = {
      {{6, 7}, -1.25}, {{7, 8}, 0.1}, {{9, 11}, 1e-300}, {{1, 1}, 42}};
  for (std::int32_t row = 1; row <= 25; ++row) {
    for (std::int32_t col = 1; col <= 12; ++col) {
      const auto w = written.find({row, col});
      EXPECT_EQ(after->Cell(row, col),
                w != written.end() ? CellValue::Number(w->second) : before->Cell(row, col))
          << CellName(row, col);
    }
  }
  // Through a symbolic link: its target is written, and the link stays.
  ombrix::testing::TempFolder links;
  const fs::path link = links / "book";
  fs::create_symlink(copy_, link);
  EXPECT_EQ(Call(SetCells, {link.string(), "6,7,-7.5"}).text, "saved," + link.string() + ",1\n");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::read_symlink(link), copy_);
  EXPECT_EQ(sheet::OpenWorkbook(copy_.string())->Cell(6, 7), CellValue::Number(-7.5));
  // Nothing was written beside the link.
  EXPECT_EQ(ombrix::testing::Entries(links.path()), 1);
}

// Bad arguments, a read-only file, a second name (a hard link) and a lock of LibreOffice's are
// each refused, the file untouched; once the lock is gone the write goes through.
TEST_P(SetCellsTest, RefusalsLeaveTheFileUntouched) {
  const std::string original = Content(copy_);
  EXPECT_THROW(Call(SetCells, {copy_.string()}), UsageError);
  for (const char* bad : {"0,1,5", "1,1,abc", "1,1,5,paint", "1,1,inf"})
    EXPECT_THROW(Call(SetCells, {copy_.string(), bad}), UsageError) << bad;
  fs::permissions(copy_, fs::perms::owner_read);
  ExpectErrorLine(Call(SetCells, {copy_.string(), "6,7,1"}));
  EXPECT_EQ(Content(copy_), original);
  fs::permissions(copy_, fs::perms::owner_read | fs::perms::owner_write);

  ombrix::testing::TempFolder names;
  const fs::path other = names / "same-file";
  fs::create_hard_link(copy_, other);
  ExpectErrorLine(Call(SetCells, {copy_.string(), "6,7,1"}), "ハードリンク");
  EXPECT_EQ(Content(copy_), original);
  EXPECT_TRUE(fs::equivalent(copy_, other));
  fs::remove(other);

  const fs::path lock = copy_.parent_path() / (".~lock." + copy_.filename().string() + "#");
  std::ofstream(lock) << "Taro,taro,field-pc,07.12.2026 09:00,file:///home/taro/.config/lo/4;";
  ExpectErrorLine(Call(SetCells, {copy_.string(), "6,7,1"}), "Taro (taro@field-pc");
  fs::remove(lock);
  EXPECT_EQ(Content(copy_), original);
  EXPECT_EQ(Call(SetCells, {copy_.string(), "6,7,1"}).status, kExitOk);  // closed: written
}

INSTANTIATE_TEST_SUITE_P(Writers, SetCellsTest,
                         ::testing::Values("mesh_small.lo.xls", "mesh_small.xlwt.xls",
                                           "mesh_small.lo.xlsx", "mesh_small.openpyxl.xlsx",
                                           "sst_continue.excel-layout.xls"));

// A sound workbook of a kind we do not read: the same error line as `mesh` gives (whose opener
// also takes rasters), the file unchanged. The reason's words are workbook_format_test's.
TEST(SetCells, WorkbooksWeDoNotReadGetTheImportsErrorLine) {
  for (const char* name :
       {"unreadable/calamine__pass_protected.xlsx", "unreadable/xlrd__sample.xlsb",
        "unreadable/calamine__misc_biff5_parsing.xls"}) {
    SCOPED_TRACE(name);
    ombrix::testing::TempFolder dir;
    const std::string path = dir / "refused";
    PlaceFixture(name, path);
    const std::string original = Content(path);
    const Printed write = Call(SetCells, {path, "6,7,1.5,mark"});
    ExpectErrorLine(write);
    EXPECT_EQ(write.text, Call(PrintMesh, path).text);
    EXPECT_EQ(Content(path), original);
  }
}

}  // namespace
}  // namespace ombrix::cli
