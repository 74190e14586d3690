#include "sheet/open_workbook.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "model/run_error.h"
#include "sheet/xls/xls_reader.h"
#include "sheet/xlsx/xlsx_reader.h"

namespace ombrix::sheet {
namespace {

constexpr std::array<unsigned char, 8> kOle2Magic = {0xD0, 0xCF, 0x11, 0xE0,
                                                     0xA1, 0xB1, 0x1A, 0xE1};

}  // namespace

std::unique_ptr<Workbook> OpenWorkbook(const std::string& path) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::exists(path, ec)) {
    throw RunError(err::kFileNotFound, "ファイルが見つかりません: \"" + path + "\"");
  }
  if (std::filesystem::is_directory(path, ec)) {
    throw RunError(err::kPathFileAccess,
                   "\"" + path + "\" はフォルダーで、ファイルではありません。");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw RunError(err::kPathFileAccess,
                   "ファイル \"" + path + "\" を開けません: " + std::strerror(errno));
  }
  std::array<unsigned char, 8> head{};
  in.read(reinterpret_cast<char*>(head.data()), head.size());
  const std::streamsize got = in.gcount();
  in.close();
  if (got == 0) {
    throw RunError(err::kBadFileFormat, "ファイル \"" + path + "\" は空で、ブックではありません。");
  }
  if (got == 8 && head == kOle2Magic) {
    return ReadXls(path);
  }
  if (got >= 4 && head[0] == 'P' && head[1] == 'K' &&
      ((head[2] == 3 && head[3] == 4) || (head[2] == 5 && head[3] == 6))) {
    return ReadXlsx(path);
  }
  throw RunError(
      err::kBadFileFormat,
      "ファイル \"" + path + "\" は Excel のブック (.xls または .xlsx) ではありません。");
}

}  // namespace ombrix::sheet
