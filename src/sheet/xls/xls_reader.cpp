#include "sheet/xls/xls_reader.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "model/run_error.h"
#include "sheet/xls/biff_workbook.h"
#include "sheet/xls/mark_fill.h"
#include "sheet/xls/ole_stream.h"
#include "sheet/xls/xls_format_error.h"

namespace ombrix::sheet {

std::unique_ptr<SheetWorkbook> ReadXls(const std::string& path) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::exists(path, ec)) {
    throw RunError(err::kFileNotFound, "ファイルが見つかりません: \"" + path + "\"");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in || std::filesystem::is_directory(path, ec)) {
    throw RunError(err::kPathFileAccess,
                   "ファイル \"" + path + "\" を開けません: " + std::strerror(errno));
  }
  std::vector<std::uint8_t> bytes;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size > 0) {
    bytes.resize(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    if (in.gcount() != size) {
      throw RunError(err::kPathFileAccess, "ファイル \"" + path + "\" を読み切れません");
    }
  }
  return ReadXlsBytes(bytes, path);
}

std::unique_ptr<SheetWorkbook> ReadXlsBytes(const std::vector<std::uint8_t>& bytes,
                                            const std::string& path, MarkQuery* marks) {
  try {
    const std::vector<std::uint8_t> stream = xls::ReadWorkbookStream(bytes);
    const xls::WorkbookGlobals globals = xls::ParseGlobals(stream);
    CellStore cells;
    xls::ParseSheetCells(stream, globals, globals.active_sheet, cells, nullptr, marks);
    cells.Finish();
    if (marks != nullptr) {
      marks->Resolve(xls::MarkedXfs(stream, globals));
    }
    return std::make_unique<SheetWorkbook>(globals.sheets[globals.active_sheet].name,
                                           std::move(cells));
  } catch (const xls::XlsFormatError& e) {
    if (e.kind() == xls::XlsFormatError::Kind::kUnsupported) {
      throw RunError(err::kBadFileFormat,
                     "ファイル \"" + path + "\" は読み込めません: " + e.what());
    }
    throw RunError(err::kBadFileFormat, "ファイル \"" + path + "\" は壊れています: " + e.what());
  } catch (const std::bad_alloc&) {
    throw RunError(err::kOutOfMemory, "メモリが足りません: ファイル \"" + path + "\" (" +
                                          std::to_string(bytes.size()) +
                                          " バイト) を読むためのメモリを確保できません。");
  }
}

}  // namespace ombrix::sheet
