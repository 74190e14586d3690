#include "sheet/workbook_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "model/run_error.h"
#include "platform/work_stopped.h"

namespace ombrix::sheet {
namespace {

[[noreturn]] void CannotOpen(const std::string& shown, int error) {
  throw RunError(err::kPathFileAccess,
                 "ファイル \"" + shown + "\" を開けません: " + std::strerror(error));
}

FileDescriptor Open(const std::string& path, int flags) {
  return FileDescriptor(::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
}

}  // namespace

WorkbookLock::WorkbookLock(const std::string& path, const std::string& shown,
                           const std::atomic<bool>* stop, std::chrono::milliseconds patience)
    : shown_(shown) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  auto pause = std::chrono::milliseconds(2);
  int open_flags = O_RDONLY;
  for (;;) {
    FileDescriptor fd = Open(path, open_flags);
    if (!fd.valid()) {
      CannotOpen(shown, errno);
    }
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
      // Still the workbook? A writer before us may have renamed a new file over it.
      struct stat locked {};
      struct stat named {};
      if (::fstat(fd.get(), &locked) != 0) {
        CannotOpen(shown, errno);
      }
      if (::stat(path.c_str(), &named) == 0 && named.st_dev == locked.st_dev &&
          named.st_ino == locked.st_ino) {
        fd_ = std::move(fd);
        return;
      }
      continue;  // lock the file that now has the name
    }
    if (errno == EBADF && open_flags == O_RDONLY) {
      open_flags = O_RDWR;  // where flock is emulated by write locks (NFS)
      continue;
    }
    if (errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS || errno == EINVAL) {
      // A file system without locks (some network and FUSE mounts): the write goes ahead
      // unlocked, as every other program's does there, rather than not at all.
      fd_ = std::move(fd);
      return;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) {
      CannotOpen(shown, errno);
    }
    if (stop != nullptr && stop->load()) {
      throw WorkStopped{};
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      throw RunError(
          err::kPathFileAccess,
          "ファイル \"" + shown + "\" には別の書き込みが続いているため書き込めません (" +
              std::to_string(patience.count() / 1000) +
              " 秒待ちました)。しばらくしてからやり直してください。元のファイルはそのままです。");
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(50));
  }
}

std::vector<std::uint8_t> WorkbookLock::ReadAll() const {
  std::vector<std::uint8_t> bytes;
  std::uint8_t buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd_.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      throw RunError(err::kPathFileAccess,
                     "ファイル \"" + shown_ + "\" を読めません: " + std::strerror(errno));
    }
    if (n == 0) {
      return bytes;
    }
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
}

}  // namespace ombrix::sheet
