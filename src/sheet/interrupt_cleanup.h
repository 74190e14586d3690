#pragma once
// Temporary files (and staging folders of plain files) that must not outlive an interrupted
// save. While one is registered, SIGINT,
// SIGTERM and SIGHUP first remove it and then take their usual course (the process still ends
// by the signal), so Ctrl+C, a kill or a closed terminal in the middle of a save leave the
// folder as it was. A signal the process ignores stays ignored.

#include <signal.h>

#include <string>

namespace ombrix::sheet {

class RemoveOnInterrupt {
 public:
  // Registers `path` (a file, or a folder of files) for removal; a path too long for the handler's
  // fixed storage, or more saves at once than it has room for, are left to the stale-file sweep of
  // the next save.
  explicit RemoveOnInterrupt(const std::string& path);
  // Forgets the path without removing it (the save renamed it or removed it itself).
  ~RemoveOnInterrupt();
  RemoveOnInterrupt(const RemoveOnInterrupt&) = delete;
  RemoveOnInterrupt& operator=(const RemoveOnInterrupt&) = delete;

 private:
  int slot_ = -1;
};

// Holds SIGINT, SIGTERM and SIGHUP back from the calling thread for the few system calls that
// must not be split by them (creating and registering a file; renaming it and forgetting it);
// a signal that arrives meanwhile is delivered when the scope ends.
class HoldInterrupts {
 public:
  HoldInterrupts();
  ~HoldInterrupts();
  HoldInterrupts(const HoldInterrupts&) = delete;
  HoldInterrupts& operator=(const HoldInterrupts&) = delete;

 private:
  sigset_t saved_;  // the caller's signal mask
};

}  // namespace ombrix::sheet
