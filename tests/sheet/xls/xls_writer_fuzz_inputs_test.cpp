// Every input the writer's fuzz harness once broke (tests/fixtures/fuzz/xls_writer) now goes
// through the same round without fault: unread, refused with a reason, or written and read
// back holding exactly what was written.

#include <gtest/gtest.h>

#include <filesystem>

#include "sheet/xls/xls_test_helpers.h"
#include "xls_writer_round.h"

namespace ombrix::sheet {
namespace {

TEST(XlsWriterFuzzInputs, EachIsRefusedOrWrittenFaithfully) {
  const std::filesystem::path dir =
      std::filesystem::path(OMBRIX_FIXTURES_DIR) / "fuzz" / "xls_writer";
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    SCOPED_TRACE(entry.path().string());
    const auto bytes = xls::testing::ReadFile(entry.path().string());
    try {
      // Each was read by our reader when it was found, so the writer must have seen it.
      EXPECT_NE(fuzz::RunWriterRound(bytes), fuzz::WriterRound::kNotAWorkbook);
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
    }
    ++count;
  }
  EXPECT_GT(count, 0);
}

}  // namespace
}  // namespace ombrix::sheet
