#pragma once
// Writing cells back into a workbook file: new numbers and grey marks on its active sheet,
// saved once. Implemented by the sheet layer.

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace ombrix {

// A change to one cell: a new number, a grey fill (palette entry 16, #808080), or both.
struct CellEdit {
  std::int32_t row = 0;         // from 1
  std::int32_t col = 0;         // from 1
  std::optional<double> value;  // the number to write, if any
  bool mark = false;            // fill the cell with palette entry 16
};

class WorkbookWriter {
 public:
  virtual ~WorkbookWriter() = default;
  // Applies the edits and saves the file once; on any error (53 missing, 75 unreadable or
  // unsaveable, 321 not a workbook that can be written) the file is left as it was.
  virtual void Write(const std::string& path, std::span<const CellEdit> edits) = 0;
  // As Write, but throws WorkStopped, the file untouched, when `stop` is raised before the new
  // content replaces the file. Writers that cannot stop simply write.
  virtual void WriteUnlessStopped(const std::string& path, std::span<const CellEdit> edits,
                                  const std::atomic<bool>& stop) {
    (void)stop;
    Write(path, edits);
  }
};

}  // namespace ombrix
