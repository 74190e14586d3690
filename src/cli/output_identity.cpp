#include "cli/output_identity.h"

#include <filesystem>

#include "model/run_error.h"

namespace ombrix::cli {
namespace {

namespace fs = std::filesystem;

// The same file: one identity when both exist; otherwise the same place once the links of
// the existing part of the names are resolved.
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) {
    return fs::equivalent(a, b, ec) && !ec;
  }
  const fs::path pa = fs::weakly_canonical(a, ec);
  if (ec) {
    return false;
  }
  const fs::path pb = fs::weakly_canonical(b, ec);
  return !ec && pa == pb;
}

}  // namespace

void RefuseOverwritingInputs(const std::vector<std::string>& outputs,
                             const std::vector<std::string>& inputs) {
  for (std::size_t o = 0; o < outputs.size(); ++o) {
    for (const std::string& input : inputs) {
      if (SameFile(outputs[o], input)) {
        throw RunError(err::kPathFileAccess,
                       "出力先 \"" + outputs[o] + "\" は入力ファイル \"" + input +
                           "\" と同じファイルです。入力を上書きしないよう中止しました。");
      }
    }
    for (std::size_t p = o + 1; p < outputs.size(); ++p) {
      if (SameFile(outputs[o], outputs[p])) {
        throw RunError(err::kPathFileAccess, "出力先 \"" + outputs[o] + "\" と \"" + outputs[p] +
                                                 "\" は同じファイルです。");
      }
    }
  }
}

}  // namespace ombrix::cli
