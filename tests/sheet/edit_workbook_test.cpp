// Writing into workbooks on disk; the crafted .xls layouts are written in the corpus test.

#include "sheet/edit_workbook.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <utility>

#include "fakes/error_capture.h"
#include "fakes/temp_folder.h"
#include "model/run_error.h"
#include "platform/work_stopped.h"
#include "sheet/xls/xls_reader.h"
#include "sheet/xls/xls_test_helpers.h"
#include "sheet/xlsx/cell_value_printer.h"
#include "sheet/xlsx/error_expect.h"
#include "sheet/xlsx/xlsx_reader.h"

namespace ombrix::sheet {
namespace {

namespace fs = std::filesystem;
using xls::testing::ReadFile;

TEST(EditWorkbook, FoldersAndMissingFilesAreToldApartAndAStopLeavesTheFile) {
  ombrix::testing::TempFolder dir;
  const std::vector<CellEdit> edits = {{6, 7, 42.5, false}};
  const std::pair<std::string, int> cases[] = {{dir / "none.xls", err::kFileNotFound},
                                               {dir.path().string(), err::kPathFileAccess}};
  for (const auto& [path, number] : cases) {
    const RunError e = ErrorOf([&] { EditWorkbook(path, edits); });
    EXPECT_EQ(e.number(), number) << e.what();
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
  }
  // A stop raised before the save leaves the file as it was.
  const std::string path = dir / "mesh.xls";
  fs::copy_file(std::string(OMBRIX_FIXTURES_DIR) + "/mesh_small.lo.xls", path);
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
  const auto original = ReadFile(path);
  const std::atomic<bool> stop{true};
  EXPECT_THROW(EditWorkbook(path, edits, &stop), WorkStopped);
  EXPECT_EQ(ReadFile(path), original);

  FileWorkbookWriter writer;
  const std::atomic<bool> go_on{false};
  writer.WriteUnlessStopped(path, edits, go_on);
  EXPECT_EQ(ReadXls(path)->Cell(6, 7), CellValue::Number(42.5));
}

TEST(EditWorkbook, MarksReadBackGreyAndAMarkThatDidNotLandStopsTheSave) {
  const char* workbooks[] = {"mesh_small.xlwt.xls",
                             "mesh_small.lo.xls",
                             "mesh_small.openpyxl.xlsx",
                             "mesh_small.lo.xlsx",
                             "realworld/phpspreadsheet__biff8cover.xls",
                             "realworld/calamine__vba.xlsm",
                             "realworld/phpspreadsheet__sharedformulae.xlsx"};
  // A number with a mark, a mark alone, a number alone, a new marked cell far off.
  const std::vector<CellEdit> edits = {
      {6, 7, 1.5, true}, {8, 9, std::nullopt, true}, {7, 7, 3.0, false}, {40, 30, 2.0, true}};
  for (const char* name : workbooks) {
    SCOPED_TRACE(name);
    const std::string path = std::string(OMBRIX_FIXTURES_DIR) + "/" + name;
    const std::vector<std::uint8_t> original = ReadFile(path);
    // The write reads its marks back and refuses any that is not grey.
    EXPECT_NO_THROW(EditWorkbookBytes(original, path, edits));
    // A mark that did not land: the untouched file read back as the result of a mark alone.
    const auto before = fs::path(path).extension() == ".xls" ? ReadXlsBytes(original, path)
                                                             : ReadXlsxBytes(original, path);
    const std::vector<CellEdit> mark = {{6, 7, std::nullopt, true}};
    const std::string d =
        xlsx::testing::Error321([&] { CheckEditedWorkbook(*before, original, path, mark); });
    EXPECT_TRUE(xlsx::testing::Contains(d, path) && xlsx::testing::Contains(d, "のセル G6 ") &&
                xlsx::testing::Contains(d, "灰色の印"))
        << d;
  }
}

}  // namespace
}  // namespace ombrix::sheet
