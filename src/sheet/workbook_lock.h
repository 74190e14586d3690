#pragma once
// The advisory lock a write-back holds on a workbook from reading it to saving it, so that two
// of our writers (two `setcells`, or the window and a script) take turns and the second applies
// its edits to what the first saved. It is an flock on the workbook file itself, not a lock file
// beside it: nothing is left behind when a writer is killed, and the kernel drops the lock with
// the process. Because a save replaces the file by a rename, a writer that was waiting may hold
// the lock on a file that is no longer the workbook; it then locks the new one.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "sheet/file_descriptor.h"

namespace ombrix::sheet {

inline constexpr std::chrono::milliseconds kLockPatience{20'000};

class WorkbookLock {
 public:
  // Locks the file at `path` (a regular file, not a link), waiting up to `patience` for another
  // writer to finish. Error 75 naming `shown` when the file cannot be opened or the wait is
  // over. On a file system that has no locks the file is only opened. A raised `stop` ends the
  // wait with WorkStopped.
  WorkbookLock(const std::string& path, const std::string& shown,
               const std::atomic<bool>* stop = nullptr,
               std::chrono::milliseconds patience = kLockPatience);

  // The whole content of the locked file.
  std::vector<std::uint8_t> ReadAll() const;

 private:
  std::string shown_;
  FileDescriptor fd_;
};

}  // namespace ombrix::sheet
