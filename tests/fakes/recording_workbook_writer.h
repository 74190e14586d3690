#pragma once
// A workbook writer that records each save, or fails with a given error.

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "model/run_error.h"
#include "platform/work_stopped.h"
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
  // A slow save: waits until the stop is raised, then stops as a real save not yet begun
  // would.
  bool wait_for_stop = false;

  void Write(const std::string& path, std::span<const CellEdit> edits) override {
    if (failure) {
      throw *failure;
    }
    saves.push_back({path, {edits.begin(), edits.end()}});
  }

  void WriteUnlessStopped(const std::string& path, std::span<const CellEdit> edits,
                          const std::atomic<bool>& stop) override {
    if (wait_for_stop) {
      const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (!stop.load() && std::chrono::steady_clock::now() < give_up) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      if (stop.load()) {
        throw WorkStopped{};
      }
    }
    Write(path, edits);
  }
};

}  // namespace ombrix::testing
