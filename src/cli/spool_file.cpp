#include "cli/spool_file.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "model/run_error.h"

namespace ombrix::cli {
namespace {

[[noreturn]] void SpoolError(const char* what) {
  throw RunError(err::kPathFileAccess,
                 std::string("一時ファイルに") + what + ": " + std::strerror(errno));
}

}  // namespace

SpoolFile::SpoolFile() : file_(std::tmpfile()) {
  if (!file_) {
    SpoolError("出力を置けません");
  }
}

void SpoolFile::Write(std::string_view text) {
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file_.get()) != text.size()) {
    SpoolError("書けません");
  }
}

void SpoolFile::CopyTo(std::ostream& out) {
  if (std::fflush(file_.get()) != 0 || std::fseek(file_.get(), 0, SEEK_SET) != 0) {
    SpoolError("書けません");
  }
  std::vector<char> buffer(std::size_t{1} << 20);
  std::size_t got = 0;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), file_.get())) > 0) {
    out.write(buffer.data(), static_cast<std::streamsize>(got));
  }
}

}  // namespace ombrix::cli
