// libFuzzer harness of the .xls writer: a fuzzed workbook that our reader reads gets a few cells
// written (a cell it holds, a new cell, a mark without a value). The writer may refuse with
// RunError; if it writes, the result must read back with the numbers in place and every other
// cell unchanged, or the harness traps.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "model/run_error.h"
#include "sheet/written_cells_check.h"
#include "sheet/xls/xls_reader.h"
#include "sheet/xls/xls_writer.h"

namespace {

using ombrix::CellEdit;
using ombrix::CellValue;

std::vector<CellEdit> ChooseEdits(const ombrix::sheet::CellStore& cells, std::size_t seed) {
  std::vector<CellEdit> edits;
  std::size_t k = 0;
  const std::size_t pick = cells.size() == 0 ? 0 : seed % cells.size();
  cells.ForEach([&](std::int32_t row, std::int32_t col, const CellValue&) {
    if (k == pick && row <= 65536 && col <= 256) {
      edits.push_back({row, col, 0.1 * static_cast<double>(seed % 97), (seed & 1) != 0});
    }
    ++k;
  });
  edits.push_back({6, 7, 12.5, (seed & 2) != 0});
  edits.push_back({static_cast<std::int32_t>(1 + seed % 40),
                   static_cast<std::int32_t>(1 + seed % 9), std::nullopt, true});
  return edits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  std::size_t seed = size;
  for (std::size_t i = 0; i < size && i < 64; ++i) {
    seed = seed * 31 + data[size - 1 - i];
  }
  std::unique_ptr<ombrix::sheet::SheetWorkbook> before;
  try {
    before = ombrix::sheet::ReadXlsBytes(bytes, "fuzz.xls");
  } catch (const ombrix::RunError&) {
    return 0;  // the writer never sees what the reader refuses
  }
  const std::vector<CellEdit> edits = ChooseEdits(before->cells(), seed);
  std::vector<std::uint8_t> written;
  try {
    written = ombrix::sheet::EditXlsBytes(bytes, "fuzz.xls", edits);
  } catch (const ombrix::RunError&) {
    return 0;  // refused with a reason: allowed
  }
  try {
    const auto after = ombrix::sheet::ReadXlsBytes(written, "fuzz.xls");
    ombrix::sheet::CheckWrittenCells(before->cells(), after->cells(), edits, "fuzz.xls", "");
  } catch (const ombrix::RunError&) {
    __builtin_trap();  // the writer produced a file that does not hold what it wrote
  }
  return 0;
}
