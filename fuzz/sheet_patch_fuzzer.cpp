// libFuzzer harness of the .xlsx sheet patch: any sheet text, written at a fixed set of cells
// (first cells and later cells of shared formulas and arrays are likely among them), must
// either patch or fail with RunError, and the patched sheet is read again. The first line of
// the input is also moved as a formula, which must not fail at all.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/run_error.h"
#include "sheet/xlsx/formula_shift.h"
#include "sheet/xlsx/sheet_cells.h"
#include "sheet/xlsx/sheet_patch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string_view first_line = text.substr(0, text.find('\n'));
  for (const auto& [rows, cols] : {std::pair{1, 0}, {0, 1}, {-3, 2}, {1048575, 16383}}) {
    const std::string moved = ombrix::sheet::xlsx::ShiftFormula(first_line, rows, cols);
    // A two-character reference grows fivefold at most: "A1" to "XFD1048576", "1:1" to
    // "1048576:1048576"; one that falls off the sheet becomes "#REF!".
    if (moved.size() > 5 * first_line.size() + 8) {
      __builtin_trap();
    }
  }
  const std::vector<ombrix::CellEdit> edits = {{1, 1, 1.5, false}, {1, 2, 2.0, true},
                                               {2, 2, 3.0, false}, {2, 3, std::nullopt, true},
                                               {3, 1, 4.0, false}, {10, 4, 5.0, false}};
  const std::function<std::uint32_t(std::uint32_t)> marked = [](std::uint32_t s) { return s + 1; };
  try {
    const ombrix::sheet::xlsx::SheetPatchResult result =
        ombrix::sheet::xlsx::PatchSheet(text, edits, marked, "fuzz.xlsx", "sheet.xml");
    ombrix::sheet::xlsx::ReadSheetCells(result.xml, {"fuzz.xlsx", "sheet.xml", nullptr, false});
  } catch (const ombrix::RunError&) {
  }
  return 0;
}
