#pragma once
// A fresh folder beside a target file: GDAL writes the file (and any companion files a format
// makes, such as a Shapefile's .shx and .dbf) there, and only a finished result is moved over
// the target. Dropped without MoveIntoPlace, it takes everything with it; so does Ctrl+C,
// SIGTERM or SIGHUP while it exists, and a folder a killed run left behind is removed by the
// next save in the same place (it is named and locked as the workbook saves' temporary files
// are).

#include <optional>
#include <string>

#include "sheet/file_descriptor.h"
#include "sheet/interrupt_cleanup.h"

namespace ombrix::gis {

class StagingFolder {
 public:
  explicit StagingFolder(const std::string& target);  // RunError 75 when it cannot be made
  ~StagingFolder();
  StagingFolder(const StagingFolder&) = delete;
  StagingFolder& operator=(const StagingFolder&) = delete;

  // Where to write the target inside the folder.
  const std::string& staged() const { return staged_; }
  // Moves every file in the folder next to the target, then removes the folder.
  void MoveIntoPlace();

 private:
  std::string target_;
  std::string folder_;
  std::string staged_;
  sheet::FileDescriptor lock_;  // the folder, flocked while in use
  std::optional<sheet::RemoveOnInterrupt> on_interrupt_;
};

}  // namespace ombrix::gis
