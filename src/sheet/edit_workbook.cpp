#include "sheet/edit_workbook.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "model/run_error.h"
#include "sheet/atomic_save.h"
#include "sheet/xls/xls_writer.h"
#include "sheet/xlsx/xlsx_writer.h"

namespace ombrix::sheet {

void EditWorkbook(const std::string& path, std::span<const CellEdit> edits) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::is_regular_file(path, ec)) {
    throw RunError(err::kFileNotFound, "ファイルが見つかりません: \"" + path + "\"");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw RunError(err::kPathFileAccess,
                   "ファイル \"" + path + "\" を開けません: " + std::strerror(errno));
  }
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
  static constexpr std::uint8_t kOle2[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  std::vector<std::uint8_t> edited;
  if (bytes.size() >= 8 && std::memcmp(bytes.data(), kOle2, 8) == 0) {
    edited = EditXlsBytes(bytes, path, edits);
  } else if (bytes.size() >= 4 && bytes[0] == 'P' && bytes[1] == 'K') {
    edited = EditXlsxBytes(bytes, path, edits);
  } else {
    throw RunError(
        err::kBadFileFormat,
        "ファイル \"" + path + "\" は Excel のブック (.xls または .xlsx) ではありません。");
  }
  SaveAtomically(path, edited);
}

}  // namespace ombrix::sheet
