// Every input the fuzzer once tripped over (tests/fixtures/fuzz/xls) reads without crash,
// hang or leak: either a workbook or a RunError 321.

#include <gtest/gtest.h>

#include <filesystem>

#include "model/run_error.h"
#include "sheet/xls/xls_reader.h"
#include "sheet/xls/xls_test_helpers.h"

namespace ombrix::sheet {
namespace {

TEST(XlsFuzzInputs, EachReadsOrFailsWith321) {
  const std::filesystem::path dir = std::filesystem::path(OMBRIX_FIXTURES_DIR) / "fuzz" / "xls";
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (!entry.is_regular_file())
      continue;
    SCOPED_TRACE(entry.path().string());
    const auto bytes = xls::testing::ReadFile(entry.path().string());
    try {
      ReadXlsBytes(bytes, entry.path().string());
    } catch (const RunError& e) {
      EXPECT_EQ(e.number(), 321) << e.description();
    }
    ++count;
  }
  EXPECT_GT(count, 0);
}

}  // namespace
}  // namespace ombrix::sheet
