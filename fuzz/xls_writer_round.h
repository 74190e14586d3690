#pragma once
// One round of the .xls writer's fuzz harness, shared with the test that replays what the
// fuzzer found: a workbook our reader reads gets a few cells written (a cell it holds, a new
// cell, a mark without a value), chosen from the input's bytes so a replay repeats the round.
// The writer may refuse with RunError; if it writes, the result must pass the check every
// save makes: read back with the numbers and grey marks in place and every other cell
// unchanged.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "model/run_error.h"
#include "sheet/edit_workbook.h"
#include "sheet/xls/xls_reader.h"
#include "sheet/xls/xls_writer.h"

namespace ombrix::fuzz {

enum class WriterRound { kNotAWorkbook, kRefused, kWrittenAndReadBack };

inline std::vector<CellEdit> ChooseEdits(const sheet::CellStore& cells, std::size_t seed) {
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

// Throws RunError only when the written file does not hold what was written; anything but
// RunError escaping is a fault of its own.
inline WriterRound RunWriterRound(const std::vector<std::uint8_t>& bytes) {
  std::size_t seed = bytes.size();
  for (std::size_t i = 0; i < bytes.size() && i < 64; ++i) {
    seed = seed * 31 + bytes[bytes.size() - 1 - i];
  }
  std::unique_ptr<sheet::SheetWorkbook> before;
  try {
    before = sheet::ReadXlsBytes(bytes, "fuzz.xls");
  } catch (const RunError&) {
    return WriterRound::kNotAWorkbook;  // the writer never sees what the reader refuses
  }
  const std::vector<CellEdit> edits = ChooseEdits(before->cells(), seed);
  std::vector<std::uint8_t> written;
  try {
    written = sheet::EditXlsBytes(bytes, "fuzz.xls", edits);
  } catch (const RunError&) {
    return WriterRound::kRefused;
  }
  sheet::CheckEditedWorkbook(*before, written, "fuzz.xls", edits);
  return WriterRound::kWrittenAndReadBack;
}

}  // namespace ombrix::fuzz
