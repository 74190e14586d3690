// libFuzzer harness of the .xls writer: a fuzzed workbook that our reader reads gets a few cells
// written (a cell it holds, a new cell, a mark without a value). The writer may refuse with
// RunError; if it writes, the result must read back with the numbers in place and every other
// cell unchanged, or the harness traps.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/run_error.h"
#include "xls_writer_round.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    ombrix::fuzz::RunWriterRound(std::vector<std::uint8_t>(data, data + size));
  } catch (const ombrix::RunError&) {
    __builtin_trap();  // the writer produced a file that does not hold what it wrote
  }
  return 0;
}
