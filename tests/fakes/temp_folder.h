#pragma once
// A folder of a test's own under the system's temporary folder, removed with everything in it
// when the test ends, so tests running side by side never meet on a file name.

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace ombrix::testing {

class TempFolder {
 public:
  TempFolder() {
    std::string name = (std::filesystem::temp_directory_path() / "ombrix-test-XXXXXX").string();
    if (::mkdtemp(name.data()) != nullptr) {
      path_ = name;
    }
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace ombrix::testing
