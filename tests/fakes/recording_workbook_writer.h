#pragma once
// A workbook writer that records each save, or fails with a given error.

#include <optional>
#include <string>
#include <vector>

#include "model/run_error.h"
#include "platform/workbook_writer.h"

namespace ombrix::testing {

class RecordingWorkbookWriter : public WorkbookWriter {
 public:
  struct Save {
    std::string path;
    std::vector<CellEdit> edits;
  };
  std::vector<Save> saves;
  std::optional<RunError> failure;

  void Write(const std::string& path, std::span<const CellEdit> edits) override {
    if (failure) {
      throw *failure;
    }
    saves.push_back({path, {edits.begin(), edits.end()}});
  }
};

}  // namespace ombrix::testing
