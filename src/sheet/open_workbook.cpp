#include "sheet/open_workbook.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "model/run_error.h"
#include "sheet/workbook_format.h"
#include "sheet/xls/xls_reader.h"
#include "sheet/xlsx/xlsx_reader.h"

namespace ombrix::sheet {

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
  std::array<std::uint8_t, kWorkbookHeadSize> head{};
  in.read(reinterpret_cast<char*>(head.data()), head.size());
  const auto got = static_cast<std::size_t>(in.gcount());
  in.close();
  if (RecognizeWorkbook(std::span(head).first(got), path) == WorkbookFormat::kXls) {
    return ReadXls(path);
  }
  return ReadXlsx(path);
}

}  // namespace ombrix::sheet
