// Sound workbooks we do not read are named as such, never as damaged, and left untouched.

#include "sheet/workbook_format.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>

#include "fakes/temp_folder.h"
#include "model/run_error.h"
#include "sheet/edit_workbook.h"
#include "sheet/open_workbook.h"
#include "sheet/xls/xls_test_helpers.h"
#include "sheet/xlsx/error_expect.h"
#include "sheet/xlsx/test_archive.h"

namespace ombrix::sheet {
namespace {

namespace fs = std::filesystem;
using xls::testing::ByteVec;
using xls::testing::Fixture;
using xls::testing::ReadFile;
using xls::testing::WriteFile;
using xlsx::testing::Contains;
using xlsx::testing::Error321;

constexpr const char* kPassword = "password-protected: save it without a password";
constexpr const char* kXlsb = "binary workbook (.xlsb): save it as .xlsx or .xls";
constexpr const char* kOld = "an Excel 2–95 workbook: save it as .xls (97–2003) or .xlsx";

std::string Refusal(const ByteVec& head) {
  return Error321([&] { RecognizeWorkbook(head, "w.xls"); });
}

TEST(WorkbookFormat, KnowsTheContainersAndBareOldBiff) {
  // An empty archive is a zip too (every fixture pins the other signatures).
  EXPECT_EQ(RecognizeWorkbook(ByteVec{'P', 'K', 5, 6, 0, 0, 0, 0}, "a"), WorkbookFormat::kXlsx);

  // BOF records as Excel 2, 3, 4 and 5 wrote them at the start of a bare file.
  for (const ByteVec& head : {ByteVec{0x09, 0x00, 0x04, 0x00, 0x02, 0x00, 0x10, 0x00},
                              ByteVec{0x09, 0x02, 0x06, 0x00, 0x00, 0x00, 0x10, 0x00},
                              ByteVec{0x09, 0x04, 0x06, 0x00, 0x00, 0x00, 0x10, 0x00},
                              ByteVec{0x09, 0x08, 0x08, 0x00, 0x00, 0x05, 0x05, 0x00}}) {
    const std::string d = Refusal(head);
    EXPECT_TRUE(Contains(d, kOld) && Contains(d, "\"w.xls\"")) << d;
  }
  // Not workbooks: a bare BIFF8 stream, text starting with a tab, half a signature, nothing.
  for (const ByteVec& head : {ByteVec{0x09, 0x08, 0x10, 0x00, 0x00, 0x06, 0x05, 0x00},
                              ByteVec{'\t', 0, 'a', 'b', 'c', 'd', 'e', 'f'},
                              ByteVec{0x09, 0x00, 0x40, 0x00, 0x02, 0x00, 0x10, 0x00},
                              ByteVec{0xD0, 0xCF, 0x11, 0xE0}, ByteVec{'P', 'K'}}) {
    const std::string d = Refusal(head);
    EXPECT_TRUE(Contains(d, "Excel のブック (.xls または .xlsx) ではありません")) << d;
  }
  EXPECT_TRUE(Contains(Refusal({}), "空"));
}

std::vector<std::pair<fs::path, const char*>> Unreadable(const fs::path& dir) {
  std::vector<std::pair<fs::path, const char*>> files = {
      {Fixture("unreadable/calamine__pass_protected.xlsx"), kPassword},
      {Fixture("unreadable/calamine__pass_protected.xlsb"), kPassword},
      {Fixture("unreadable/calamine__issues.xlsb"), kXlsb},
      {Fixture("unreadable/xlrd__sample.xlsb"), kXlsb},
      {Fixture("unreadable/calamine__misc_biff5_parsing.xls"), kOld},
      {Fixture("unreadable/phpspreadsheet__maccentraleurope.biff5.xls"), kOld},
  };
  // An .xlsb found without relationships: only its binary workbook part.
  xlsx::testing::WriteZipFile(dir / "bare.xlsb", {{"xl/workbook.bin", std::string(40, 'b')}});
  files.emplace_back(dir / "bare.xlsb", kXlsb);
  // An .xlsx whose parts are zip-encrypted.
  xlsx::testing::WriteZipFile(dir / "zip_encrypted.xlsx", {{"_rels/.rels", "<Relationships/>"}});
  zip_t* z = zip_open((dir / "zip_encrypted.xlsx").c_str(), 0, nullptr);
  EXPECT_EQ(zip_file_set_encryption(z, 0, ZIP_EM_AES_256, "pw"), 0);
  EXPECT_EQ(zip_close(z), 0);
  files.emplace_back(dir / "zip_encrypted.xlsx", kPassword);
  return files;
}

TEST(WorkbookFormat, ReadingAndWritingRefuseWithTheSameOneLineReason) {
  ombrix::testing::TempFolder dir;
  for (const auto& [source, words] : Unreadable(dir.path())) {
    SCOPED_TRACE(source.filename().string());
    // A copy under the same name in the temporary folder: the refusals name the same path.
    const fs::path path = dir.path() / ("copy_" + source.filename().string());
    const ByteVec original = ReadFile(source.string());
    WriteFile(path, original);

    const std::string read = Error321([&] { OpenWorkbook(path.string()); });
    const std::string write = Error321([&] {
      EditWorkbook(path.string(), std::vector<CellEdit>{{6, 7, 1.5, true}});
    });
    EXPECT_EQ(read, write);
    EXPECT_TRUE(Contains(read, words)) << read;
    EXPECT_TRUE(Contains(read, "\"" + path.string() + "\"")) << read;
    EXPECT_FALSE(Contains(read, "\n")) << read;
    EXPECT_FALSE(Contains(read, "壊れて")) << read;
    EXPECT_EQ(ReadFile(path.string()), original);
  }
}

}  // namespace
}  // namespace ombrix::sheet
