#include "fakes/memory_workbook.h"

#include <cctype>

#include "model/run_error.h"

namespace ombrix::testing {

MemoryWorkbook& MemoryWorkbook::Set(const std::string& a1, CellValue value) {
  std::int32_t col = 0;
  std::size_t i = 0;
  while (i < a1.size() && std::isalpha(static_cast<unsigned char>(a1[i]))) {
    col = col * 26 + (std::toupper(static_cast<unsigned char>(a1[i])) - 'A' + 1);
    ++i;
  }
  cells[{std::stoi(a1.substr(i)), col}] = std::move(value);
  return *this;
}

CellValue MemoryWorkbook::Cell(std::int32_t row, std::int32_t col) const {
  ++reads;
  const auto it = cells.find({row, col});
  return it == cells.end() ? CellValue{} : it->second;
}

std::unique_ptr<Workbook> MemoryWorkbookOpener::Open(const std::string& path) {
  if (on_open) {
    on_open();
  }
  const auto it = books.find(path);
  if (it == books.end()) {
    throw RunError(err::kFileNotFound, "ファイルが見つかりません: \"" + path + "\"");
  }
  return std::make_unique<MemoryWorkbook>(it->second);
}

}  // namespace ombrix::testing
