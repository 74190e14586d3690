// Inputs a fuzzer once tripped over, run again without crash, hang or leak: read or refused
// with error 321; written back faithfully or refused with a reason.

#include <gtest/gtest.h>

#include <filesystem>

#include "model/run_error.h"
#include "sheet/xls/xls_reader.h"
#include "sheet/xls/xls_test_helpers.h"
#include "xls_writer_round.h"

namespace ombrix::sheet {
namespace {

std::vector<std::filesystem::path> Inputs(const char* folder) {
  std::vector<std::filesystem::path> out;
  for (const auto& entry : std::filesystem::directory_iterator(
           std::filesystem::path(OMBRIX_FIXTURES_DIR) / "fuzz" / folder)) {
    if (entry.is_regular_file())
      out.push_back(entry.path());
  }
  EXPECT_FALSE(out.empty()) << folder;
  return out;
}

TEST(XlsFuzzInputs, EachReadsOrFailsWith321) {
  for (const auto& path : Inputs("xls")) {
    try {
      ReadXlsBytes(xls::testing::ReadFile(path.string()), path.string());
    } catch (const RunError& e) {
      EXPECT_EQ(e.number(), 321) << path << ": " << e.description();
    }
  }
}

TEST(XlsWriterFuzzInputs, EachIsRefusedOrWrittenFaithfully) {
  for (const auto& path : Inputs("xls_writer")) {
    try {
      // Each was read by our reader when it was found, so the writer must have seen it.
      EXPECT_NE(fuzz::RunWriterRound(xls::testing::ReadFile(path.string())),
                fuzz::WriterRound::kNotAWorkbook)
          << path;
    } catch (const std::exception& e) {
      ADD_FAILURE() << path << ": " << e.what();
    }
  }
}

}  // namespace
}  // namespace ombrix::sheet
