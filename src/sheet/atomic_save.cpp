#include "sheet/atomic_save.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

#include "model/run_error.h"
#include "sheet/file_descriptor.h"
#include "sheet/interrupt_cleanup.h"
#include "sheet/stale_temporaries.h"

namespace ombrix::sheet {
namespace {

[[noreturn]] void Fail(const std::string& path, const char* step, int error) {
  throw RunError(err::kPathFileAccess, "ファイル \"" + path + "\" を保存できません (" + step +
                                           "): " + std::strerror(error));
}

void CheckOriginal(const std::string& path, const struct stat& original);
void Save(const std::string& path, std::span<const std::uint8_t> bytes, SaveSteps& steps,
          bool may_create);

}  // namespace

int SaveSteps::CreateTemporary(std::string& path_template) {
  return ::mkostemp(path_template.data(), O_CLOEXEC);
}

long SaveSteps::Write(int fd, const std::uint8_t* data, std::size_t size) {
  return static_cast<long>(::write(fd, data, size));
}

int SaveSteps::ChangeMode(int fd, unsigned mode) {
  return ::fchmod(fd, static_cast<mode_t>(mode));
}
int SaveSteps::Flush(int fd) {
  return ::fsync(fd);
}
int SaveSteps::Close(int fd) {
  return ::close(fd);
}
int SaveSteps::Rename(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str());
}
int SaveSteps::Remove(const std::string& path) {
  return ::unlink(path.c_str());
}

std::string ResolveSaveTarget(const std::string& path) {
  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
    return path;
  }
  std::error_code ec;
  const std::filesystem::path target = std::filesystem::canonical(path, ec);
  if (ec) {
    Fail(path, "シンボリックリンクのリンク先がありません", ec.value());
  }
  return target.string();
}

void RequireReplaceable(const std::string& path) {
  struct stat original {};
  if (::stat(path.c_str(), &original) != 0) {
    Fail(path, "元のファイルを確認", errno);
  }
  CheckOriginal(path, original);
}

void SaveAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
  SaveSteps steps;
  SaveAtomically(path, bytes, steps);
}

void SaveAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                    SaveSteps& steps) {
  Save(path, bytes, steps, false);
}

void CreateOrReplace(const std::string& path, std::span<const std::uint8_t> bytes) {
  SaveSteps steps;
  Save(path, bytes, steps, true);
}

namespace {

void CheckOriginal(const std::string& path, const struct stat& original) {
  if (!S_ISREG(original.st_mode)) {
    Fail(path, "通常のファイルではありません", EINVAL);
  }
  if ((original.st_mode & 0222) == 0) {
    Fail(path, "書き込み禁止のファイル", EACCES);
  }
  if (original.st_nlink > 1) {
    throw RunError(
        err::kPathFileAccess,
        "ファイル \"" + path + "\" を保存できません: このファイルには別の名前 (ハードリンク) が " +
            std::to_string(original.st_nlink - 1) +
            " 個あります。置き換えると別の名前が古い内容のまま残り、その場で書き換えると途中で"
            "止まったときにすべての名前のファイルが壊れるため、書き込みません。リンクのない"
            "コピーに書き込んでください。元のファイルはそのままです。");
  }
}

// Creates the temporary file, locked, and registers it for removal on an interrupt. The lock
// tells the stale-file sweep of other saves that the file is in use; should such a sweep have
// removed the new file before the lock was taken, another one is made.
int CreateLockedTemporary(const std::string& path, const std::string& pattern, SaveSteps& steps,
                          std::string& temporary, std::optional<RemoveOnInterrupt>& guard) {
  for (int attempt = 0;; ++attempt) {
    temporary = pattern;
    const HoldInterrupts hold;
    const int fd = steps.CreateTemporary(temporary);
    if (fd < 0) {
      Fail(path, "一時ファイルの作成", errno);
    }
    struct stat opened {};
    struct stat named {};
    if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &opened) == 0 &&
        ::lstat(temporary.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
        opened.st_ino == named.st_ino) {
      guard.emplace(temporary);
      return fd;
    }
    const int error = errno;
    steps.Close(fd);
    if (attempt == 3) {
      Fail(path, "一時ファイルの作成", error != 0 ? error : EEXIST);
    }
  }
}

void Save(const std::string& requested, std::span<const std::uint8_t> bytes, SaveSteps& steps,
          bool may_create) {
  const std::string path = ResolveSaveTarget(requested);
  struct stat original {};
  if (::stat(path.c_str(), &original) != 0) {
    if (!may_create || errno != ENOENT) {
      Fail(path, "元のファイルを確認", errno);
    }
    // A new file gets the permissions any program would give it.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    original.st_mode = S_IFREG | (0666 & ~mask);
    original.st_nlink = 0;
  }
  CheckOriginal(path, original);
  const std::filesystem::path target(path);
  const std::filesystem::path folder =
      target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  RemoveStaleTemporaries(folder);
  std::string temporary;
  std::optional<RemoveOnInterrupt> guard;
  const int fd =
      CreateLockedTemporary(path, TemporaryTemplate(folder, target), steps, temporary, guard);
  // The lock must last until the rename, past the checked close of the written descriptor.
  const FileDescriptor lock(::dup(fd));
  // From here on every failure removes the temporary file before it reports.
  const auto abandon = [&](const char* step, int error, bool open) {
    if (open) {
      steps.Close(fd);
    }
    steps.Remove(temporary);
    Fail(path, step, error);
  };
  std::size_t written = 0;
  while (written < bytes.size()) {
    const long n = steps.Write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      abandon("書き込み", n < 0 ? errno : ENOSPC, true);
    }
    written += static_cast<std::size_t>(n);
  }
  if (steps.ChangeMode(fd, original.st_mode & 07777) != 0) {
    abandon("権限の設定", errno, true);
  }
  if (steps.Flush(fd) != 0) {
    abandon("ディスクへの書き出し", errno, true);
  }
  if (steps.Close(fd) != 0) {
    abandon("一時ファイルを閉じる", errno, false);
  }
  {
    // The rename and forgetting the file belong together: an interrupt between them would
    // remove a name that is no longer ours.
    const HoldInterrupts hold;
    if (steps.Rename(temporary, path) != 0) {
      abandon("置き換え", errno, false);
    }
    guard.reset();
  }
  // Make the rename itself durable; a failure here leaves a complete file either way.
  const FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid()) {
    ::fsync(dir.get());
  }
}

}  // namespace

}  // namespace ombrix::sheet
