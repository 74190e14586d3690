#include "gis/staging_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "model/run_error.h"
#include "sheet/stale_temporaries.h"

namespace ombrix::gis {
namespace fs = std::filesystem;

namespace {

fs::path FolderOf(const fs::path& target) {
  return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

}  // namespace

StagingFolder::StagingFolder(const std::string& target) : target_(target) {
  const fs::path path(target);
  sheet::RemoveStaleTemporaries(FolderOf(path));
  for (int attempt = 0; attempt < 4 && folder_.empty(); ++attempt) {
    std::string pattern = sheet::TemporaryTemplate(FolderOf(path), path);
    const sheet::HoldInterrupts hold;
    if (mkdtemp(pattern.data()) == nullptr) {
      break;
    }
    // Locked before anything is written, and still the folder just made (a stale-file sweep
    // elsewhere may have taken it while it was empty and unlocked).
    sheet::FileDescriptor lock(::open(pattern.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat locked {};
    struct stat named {};
    if (lock.valid() && ::flock(lock.get(), LOCK_EX) == 0 && ::fstat(lock.get(), &locked) == 0 &&
        ::lstat(pattern.c_str(), &named) == 0 && locked.st_ino == named.st_ino &&
        locked.st_dev == named.st_dev) {
      folder_ = pattern;
      lock_ = std::move(lock);
      on_interrupt_.emplace(folder_);
    }
  }
  if (folder_.empty()) {
    throw RunError(err::kPathFileAccess, "フォルダ \"" + FolderOf(path).string() +
                                             "\" に書き込めません (\"" + target + "\" の出力)");
  }
  staged_ = (fs::path(folder_) / path.filename()).string();
}

StagingFolder::~StagingFolder() {
  if (!folder_.empty()) {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
}

void StagingFolder::MoveIntoPlace() {
  const fs::path destination = FolderOf(fs::path(target_));
  std::error_code error;
  // All of a format's files or none: an interrupt waits for the moves.
  const sheet::HoldInterrupts hold;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder_)) {
    fs::rename(entry.path(), destination / entry.path().filename(), error);
    if (error) {
      throw RunError(err::kPathFileAccess, "\"" + (destination / entry.path().filename()).string() +
                                               "\" を書けません: " + error.message());
    }
  }
  fs::remove_all(folder_, error);
  folder_.clear();
  on_interrupt_.reset();
}

}  // namespace ombrix::gis
