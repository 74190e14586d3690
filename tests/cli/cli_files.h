#pragma once
// Files the command tests write to and read back: a writable copy of a fixture, since the
// commands that save refuse or would change the fixture itself, and a file's bytes.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fakes/fixture_path.h"

namespace ombrix::testing {

inline void PlaceFixture(const std::string& name, const std::filesystem::path& path) {
  namespace fs = std::filesystem;
  fs::copy_file(Fixture(name), path, fs::copy_options::overwrite_existing);
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
}

inline std::string Content(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace ombrix::testing
