#include "sheet/atomic_save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "model/run_error.h"

namespace ombrix::sheet {
namespace {

[[noreturn]] void Fail(const std::string& path, const char* step, int error) {
  throw RunError(err::kPathFileAccess, "ファイル \"" + path + "\" を保存できません (" + step +
                                           "): " + std::strerror(error));
}

void Save(const std::string& path, std::span<const std::uint8_t> bytes, SaveSteps& steps,
          bool may_create);

}  // namespace

int SaveSteps::CreateTemporary(std::string& path_template) {
  return ::mkstemp(path_template.data());
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

void Save(const std::string& path, std::span<const std::uint8_t> bytes, SaveSteps& steps,
          bool may_create) {
  struct stat original {};
  if (::stat(path.c_str(), &original) != 0) {
    if (!may_create || errno != ENOENT) {
      Fail(path, "元のファイルを確認", errno);
    }
    // A new file gets the permissions any program would give it.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    original.st_mode = 0666 & ~mask;
  } else if (!S_ISREG(original.st_mode)) {
    Fail(path, "通常のファイルではありません", EINVAL);
  }
  if ((original.st_mode & 0222) == 0) {
    Fail(path, "書き込み禁止のファイル", EACCES);
  }
  const std::filesystem::path target(path);
  const std::filesystem::path folder =
      target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  std::string temporary = (folder / ("." + target.filename().string() + ".ombrix-XXXXXX")).string();
  const int fd = steps.CreateTemporary(temporary);
  if (fd < 0) {
    Fail(path, "一時ファイルの作成", errno);
  }
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
  if (steps.Rename(temporary, path) != 0) {
    abandon("置き換え", errno, false);
  }
  // Make the rename itself durable; a failure here leaves a complete file either way.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace

}  // namespace ombrix::sheet
