#include "sheet/interrupt_cleanup.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace ombrix::sheet {
namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSlots = 8;
constexpr std::size_t kPathRoom = 4096;

// The handler may run at any moment on any thread, so it only reads what these atomics
// publish: a slot's path is complete before its state says so.
enum SlotState : int { kFree = 0, kFilling = 1, kArmed = 2 };
std::array<std::atomic<int>, kSlots> slot_state{};
std::array<std::array<char, kPathRoom>, kSlots> slot_path{};

std::mutex install_mutex;
int registered = 0;                                        // guarded by install_mutex
std::array<struct sigaction, kSignals.size()> previous{};  // as it was before the first save
std::array<bool, kSignals.size()> installed{};

// A staging folder holds plain files only; they go, then the folder. Only system calls that
// are safe in a signal handler: no allocation, no stdio, no opendir.
void RemoveFolder(const char* path) {
  const int dir = ::open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (dir < 0) {
    return;
  }
  alignas(8) char entries[4096];
  for (ssize_t n; (n = ::getdents64(dir, entries, sizeof entries)) > 0;) {
    for (ssize_t at = 0; at < n;) {
      const auto* entry = reinterpret_cast<const struct dirent64*>(entries + at);
      const char* name = entry->d_name;
      if (!(name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))) {
        ::unlinkat(dir, name, 0);
      }
      at += entry->d_reclen;
    }
  }
  ::close(dir);
  ::rmdir(path);
}

void RemoveAndRaise(int signal) {
  const int saved_errno = errno;
  for (int i = 0; i < kSlots; ++i) {
    if (slot_state[static_cast<std::size_t>(i)].load() == kArmed) {
      const char* path = slot_path[static_cast<std::size_t>(i)].data();
      if (::unlink(path) != 0 && errno == EISDIR) {
        RemoveFolder(path);
      }
    }
  }
  // Then the signal does what it would have done without us: usually end the process.
  for (std::size_t k = 0; k < kSignals.size(); ++k) {
    if (kSignals[k] == signal) {
      ::sigaction(signal, &previous[k], nullptr);
    }
  }
  ::raise(signal);
  errno = saved_errno;
}

void Install() {
  for (std::size_t k = 0; k < kSignals.size(); ++k) {
    struct sigaction current {};
    ::sigaction(kSignals[k], nullptr, &current);
    installed[k] = current.sa_handler != SIG_IGN;  // nohup and the like keep their way
    if (!installed[k]) {
      continue;
    }
    previous[k] = current;
    struct sigaction action {};
    action.sa_handler = RemoveAndRaise;
    sigemptyset(&action.sa_mask);
    for (const int s : kSignals) {
      sigaddset(&action.sa_mask, s);
    }
    action.sa_flags = 0;
    ::sigaction(kSignals[k], &action, nullptr);
  }
}

void Uninstall() {
  for (std::size_t k = 0; k < kSignals.size(); ++k) {
    if (installed[k]) {
      ::sigaction(kSignals[k], &previous[k], nullptr);
      installed[k] = false;
    }
  }
}

}  // namespace

RemoveOnInterrupt::RemoveOnInterrupt(const std::string& path) {
  if (path.size() >= kPathRoom) {
    return;
  }
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (slot_state[static_cast<std::size_t>(i)].compare_exchange_strong(expected, kFilling)) {
      std::memcpy(slot_path[static_cast<std::size_t>(i)].data(), path.c_str(), path.size() + 1);
      slot_ = i;
      break;
    }
  }
  if (slot_ < 0) {
    return;
  }
  {
    const std::lock_guard<std::mutex> lock(install_mutex);
    if (registered++ == 0) {
      Install();
    }
  }
  slot_state[static_cast<std::size_t>(slot_)].store(kArmed);
}

RemoveOnInterrupt::~RemoveOnInterrupt() {
  if (slot_ < 0) {
    return;
  }
  slot_state[static_cast<std::size_t>(slot_)].store(kFilling);
  {
    const std::lock_guard<std::mutex> lock(install_mutex);
    if (--registered == 0) {
      Uninstall();
    }
  }
  slot_state[static_cast<std::size_t>(slot_)].store(kFree);
}

HoldInterrupts::HoldInterrupts() {
  sigset_t hold;
  sigemptyset(&hold);
  for (const int s : kSignals) {
    sigaddset(&hold, s);
  }
  ::pthread_sigmask(SIG_BLOCK, &hold, &saved_);
}

HoldInterrupts::~HoldInterrupts() {
  ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}

}  // namespace ombrix::sheet
