#pragma once
// Readable CellValue in test failure messages, and cells named A1-style.

#include <ostream>
#include <string>
#include <vector>

#include "platform/workbook.h"
#include "sheet/cell_store.h"
#include "sheet/xlsx/cell_ref.h"

namespace ombrix {

inline void PrintTo(const CellValue& v, std::ostream* os) {
  static const char* const kKinds[] = {"Empty", "Number", "Text", "Boolean", "Error"};
  *os << kKinds[static_cast<int>(v.kind)];
  if (v.kind == CellKind::Number || v.kind == CellKind::Boolean) {
    os->precision(17);
    *os << "(" << v.number << ")";
  } else if (v.kind != CellKind::Empty) {
    *os << "(\"" << v.text << "\")";
  }
}

namespace sheet::xlsx::testing {

// The cell named `ref` ("H7") of `book`.
inline CellValue At(const Workbook& book, const std::string& ref) {
  const CellRef r = ParseCellRef(ref).value();
  return book.Cell(r.row, r.col);
}

// The cells named `refs` of `book`, in order: one comparison shows every cell that differs.
inline std::vector<CellValue> CellsAt(const Workbook& book, const std::vector<std::string>& refs) {
  std::vector<CellValue> out;
  for (const std::string& ref : refs) {
    out.push_back(At(book, ref));
  }
  return out;
}

}  // namespace sheet::xlsx::testing
}  // namespace ombrix
