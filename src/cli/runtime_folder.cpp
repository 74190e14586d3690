#include "cli/runtime_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace ombrix::cli {
namespace {

// A folder Qt accepts: a real directory (not a link), ours, closed to everyone else.
bool Private(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
         (st.st_mode & 0777) == 0700;
}

}  // namespace

void EnsureRuntimeFolder() {
  const char* given = std::getenv("XDG_RUNTIME_DIR");
  if (given != nullptr && *given != '\0') {
    return;
  }
  std::error_code ec;
  const std::string folder =
      (std::filesystem::temp_directory_path(ec) / ("ombrix-runtime-" + std::to_string(::getuid())))
          .string();
  if (ec) {
    return;
  }
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    return;
  }
  if (Private(folder)) {
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
  }
}

}  // namespace ombrix::cli
