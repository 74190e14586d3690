// Every input the fuzzer once broke the reader with (tests/fixtures/fuzz/xlsx) now reads or
// fails with error 321, never anything else.

#include <gtest/gtest.h>

#include <filesystem>

#include "model/run_error.h"
#include "sheet/xlsx/xlsx_reader.h"
#include "test_archive.h"

namespace ombrix::sheet::xlsx {
namespace {

TEST(XlsxFuzzCorpus, EveryKeptInputReadsOrFailsWith321) {
  const std::filesystem::path folder = std::filesystem::path(OMBRIX_FIXTURES_DIR) / "fuzz" / "xlsx";
  ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.path().filename() == "README.md") {
      continue;
    }
    ++files;
    const auto bytes = testing::ReadFileBytes(entry.path());
    try {
      ReadXlsxBytes(bytes, entry.path().string());
    } catch (const RunError& e) {
      EXPECT_EQ(e.number(), err::kBadFileFormat) << entry.path() << ": " << e.description();
    }
  }
  EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace ombrix::sheet::xlsx
