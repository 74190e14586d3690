#pragma once
// Output that waits in an anonymous temporary file until it is known to be wanted, so that a
// command's text of any length costs no memory and an error still prints alone.

#include <cstdio>
#include <memory>
#include <ostream>
#include <string_view>

namespace ombrix::cli {

class SpoolFile {
 public:
  // Error 75 (path/file access) when no temporary file can be made.
  SpoolFile();

  // Appends; a full disk is a run-time error.
  void Write(std::string_view text);
  // Copies everything written to `out`.
  void CopyTo(std::ostream& out);

 private:
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
};

}  // namespace ombrix::cli
