#include "sheet/stale_temporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <memory>
#include <string_view>

#include "sheet/file_descriptor.h"

namespace ombrix::sheet {
namespace {

constexpr std::string_view kMarker = ".ombrix-";
constexpr std::size_t kRandomLength = 6;  // mkstemp's XXXXXX

struct CloseDir {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

// Removes the plain files of a staging folder; anything else keeps the folder (and rmdir then
// leaves it).
void EmptyFolder(int folder_fd) {
  const int fd = ::dup(folder_fd);
  const std::unique_ptr<DIR, CloseDir> dir(fd >= 0 ? ::fdopendir(fd) : nullptr);
  if (!dir) {
    if (fd >= 0) {
      ::close(fd);
    }
    return;
  }
  while (const dirent* entry = ::readdir(dir.get())) {
    struct stat file {};
    if (::fstatat(folder_fd, entry->d_name, &file, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(file.st_mode) && file.st_uid == ::geteuid()) {
      ::unlinkat(folder_fd, entry->d_name, 0);
    }
  }
}

}  // namespace

std::string TemporaryTemplate(const std::filesystem::path& folder,
                              const std::filesystem::path& target) {
  return (folder / ("." + target.filename().string() + std::string(kMarker) + "XXXXXX")).string();
}

bool IsTemporaryName(const std::string& name) {
  if (name.size() < 1 + 1 + kMarker.size() + kRandomLength || name.front() != '.') {
    return false;
  }
  const std::size_t random = name.size() - kRandomLength;
  if (std::string_view(name).substr(random - kMarker.size(), kMarker.size()) != kMarker) {
    return false;
  }
  for (std::size_t i = random; i < name.size(); ++i) {
    if (std::isalnum(static_cast<unsigned char>(name[i])) == 0) {
      return false;
    }
  }
  return true;
}

int RemoveStaleTemporaries(const std::filesystem::path& folder) {
  const std::unique_ptr<DIR, CloseDir> dir(::opendir(folder.c_str()));
  if (!dir) {
    return 0;
  }
  const int dir_fd = ::dirfd(dir.get());
  int removed = 0;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (!IsTemporaryName(name)) {
      continue;
    }
    // O_NOFOLLOW: a link with our name shape is not ours to follow; O_NONBLOCK: never wait
    // on a FIFO someone named so. A folder (a staging folder) opens read-only.
    FileDescriptor fd(
        ::openat(dir_fd, name.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd.valid() && errno == EISDIR) {
      fd = FileDescriptor(
          ::openat(dir_fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }
    struct stat opened {};
    if (!fd.valid() || ::fstat(fd.get(), &opened) != 0 || opened.st_uid != ::geteuid() ||
        !(S_ISDIR(opened.st_mode) || (S_ISREG(opened.st_mode) && opened.st_nlink == 1))) {
      continue;
    }
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
      continue;  // a save in progress (here or in another process) holds it
    }
    // Remove the name only while it still names the file that was locked.
    struct stat named {};
    if (::fstatat(dir_fd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        named.st_dev != opened.st_dev || named.st_ino != opened.st_ino) {
      continue;
    }
    if (S_ISDIR(opened.st_mode)) {
      EmptyFolder(fd.get());
      removed += ::unlinkat(dir_fd, name.c_str(), AT_REMOVEDIR) == 0;
    } else {
      removed += ::unlinkat(dir_fd, name.c_str(), 0) == 0;
    }
  }
  return removed;
}

}  // namespace ombrix::sheet
