#include "gis/staging_folder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "model/run_error.h"

namespace ombrix::gis {
namespace fs = std::filesystem;

namespace {

fs::path FolderOf(const fs::path& target) {
  return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

}  // namespace

StagingFolder::StagingFolder(const std::string& target) : target_(target) {
  const fs::path path(target);
  std::string pattern = (FolderOf(path) / ("." + path.filename().string() + ".XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw RunError(err::kPathFileAccess, "フォルダ \"" + FolderOf(path).string() +
                                             "\" に書き込めません (\"" + target + "\" の出力)");
  }
  folder_ = pattern;
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
  for (const fs::directory_entry& entry : fs::directory_iterator(folder_)) {
    fs::rename(entry.path(), destination / entry.path().filename(), error);
    if (error) {
      throw RunError(err::kPathFileAccess, "\"" + (destination / entry.path().filename()).string() +
                                               "\" を書けません: " + error.message());
    }
  }
  fs::remove_all(folder_, error);
  folder_.clear();
}

}  // namespace ombrix::gis
