#pragma once
// Writing cells into a workbook file on disk, .xls or .xlsx by its content, saved atomically.

#include <atomic>
#include <span>
#include <string>
#include <vector>

#include "sheet/cell_edit.h"
#include "sheet/cell_store.h"

namespace ombrix::sheet {

// Applies the edits to the active sheet and saves once. Errors: 53 for a missing file, 75 when
// it cannot be read or saved, 321 when it is not a workbook that can be written; the file is
// untouched on every error. A raised `stop`, seen before the save begins, throws WorkStopped
// with the file untouched.
void EditWorkbook(const std::string& path, std::span<const CellEdit> edits,
                  const std::atomic<bool>* stop = nullptr);

// The new content of the workbook in `bytes` (named `path` in errors) with the edits applied,
// read back and checked (CheckEditedWorkbook). Error 321 when the workbook cannot be read,
// cannot be patched, or the result does not check.
std::vector<std::uint8_t> EditWorkbookBytes(const std::vector<std::uint8_t>& bytes,
                                            const std::string& path,
                                            std::span<const CellEdit> edits);

// The check a write makes before it may replace the file: `edited`, read back, must be
// `before` (the active sheet read from the old content) with every edit in place: each written
// number, each mark's grey fill, every other cell unchanged, the same active sheet. Error 321
// naming the file, the sheet and the first cell that differs.
void CheckEditedWorkbook(const SheetWorkbook& before, const std::vector<std::uint8_t>& edited,
                         const std::string& path, std::span<const CellEdit> edits);

class FileWorkbookWriter : public WorkbookWriter {
 public:
  void Write(const std::string& path, std::span<const CellEdit> edits) override {
    EditWorkbook(path, edits);
  }
  void WriteUnlessStopped(const std::string& path, std::span<const CellEdit> edits,
                          const std::atomic<bool>& stop) override {
    EditWorkbook(path, edits, &stop);
  }
};

}  // namespace ombrix::sheet
