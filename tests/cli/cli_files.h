#pragma once
// What the command tests share: writable copies of fixtures (a save would change the fixture
// itself), files' bytes and folders' entries, and what a command printed.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/run_guard.h"
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

// A command's exit status and what it printed.
struct Printed {
  int status;
  std::string text;
};
template <class Input>
Printed Call(int (*command)(const Input&, std::ostream&), const Input& input) {
  std::ostringstream out;
  const int status = command(input, out);
  return {status, out.str()};
}
inline Printed Call(int (*command)(const std::vector<std::string>&, std::ostream&),
                    const std::vector<std::string>& args) {
  return Call<std::vector<std::string>>(command, args);
}

// A run error: its status and one line, "error," and a reason that holds `part`.
inline void ExpectErrorLine(const Printed& out, const std::string& part = "") {
  EXPECT_EQ(out.status, cli::kExitRunError) << out.text;
  EXPECT_EQ(out.text.rfind("error,", 0), 0u) << out.text;
  EXPECT_EQ(out.text.find('\n'), out.text.size() - 1) << out.text;
  EXPECT_NE(out.text.find(part), std::string::npos) << out.text;
}

// The "node,i,j,V" lines of a listing, by node.
inline std::map<std::pair<int, int>, double> PrintedNodes(const std::string& text) {
  std::map<std::pair<int, int>, double> nodes;
  std::istringstream lines(text);
  int i = 0, j = 0;
  double value = 0;
  for (std::string line; std::getline(lines, line);) {
    if (std::sscanf(line.c_str(), "node,%d,%d,%lf", &i, &j, &value) == 3)
      nodes[{i, j}] = value;
  }
  return nodes;
}

// How often `part` occurs in `text`.
inline std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++n;
  return n;
}

// How many entries a folder holds.
inline std::ptrdiff_t Entries(const std::filesystem::path& folder) {
  return std::distance(std::filesystem::directory_iterator(folder),
                       std::filesystem::directory_iterator());
}

}  // namespace ombrix::testing
