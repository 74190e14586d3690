#include "sheet/written_cells_check.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

#include "model/numeric.h"
#include "model/quoted_text.h"
#include "model/run_error.h"

namespace ombrix::sheet {
namespace {

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SameValue(const CellValue& a, const CellValue& b) {
  if (a.kind != b.kind) {
    return false;
  }
  switch (a.kind) {
    case CellKind::Number:
    case CellKind::Boolean:
      return SameBits(a.number, b.number);
    case CellKind::Text:
    case CellKind::Error:
      return a.text == b.text;
    case CellKind::Empty:
      return true;
  }
  return false;
}

std::string Describe(const CellValue& v) {
  switch (v.kind) {
    case CellKind::Empty:
      return "空";
    case CellKind::Number:
      return RealText(v.number);
    case CellKind::Boolean:
      return v.number != 0 ? "TRUE" : "FALSE";
    case CellKind::Text:
      return "文字列 \"" + QuotedText(v.text) + "\"";
    case CellKind::Error:
      return v.text;
  }
  return {};
}

}  // namespace

void CheckWrittenCells(const CellStore& before, const CellStore& after,
                       std::span<const CellEdit> edits, const std::string& path,
                       const std::string& where) {
  std::map<std::pair<std::int32_t, std::int32_t>, double> written;  // the last number wins
  for (const CellEdit& e : edits) {
    if (e.value) {
      written[{e.row, e.col}] = *e.value;
    }
  }
  auto fail = [&](std::int32_t row, std::int32_t col, const CellValue& expected,
                  const CellValue& found) {
    throw RunError(err::kBadFileFormat,
                   "ファイル \"" + path +
                       "\" への書き込みを取りやめました: 書き込んだ結果を読み直すと、" + where +
                       "のセル " + CellName(row, col) + " が " + Describe(expected) + " ではなく " +
                       Describe(found) + " です (元のファイルはそのままです)");
  };
  for (const auto& [cell, value] : written) {
    const CellValue found = after.Get(cell.first, cell.second);
    // A written zero may come back as either zero: the sign of zero is not a cell's value.
    const bool zero = value == 0 && found.kind == CellKind::Number && found.number == 0;
    if (!zero && !SameValue(found, CellValue::Number(value))) {
      fail(cell.first, cell.second, CellValue::Number(value), found);
    }
  }
  // Every other cell holds what it held, looked up from both sides so that a cell gained and a
  // cell lost are both found.
  auto compare = [&](const CellStore& from, const CellStore& to, bool from_is_after) {
    from.ForEach([&](std::int32_t row, std::int32_t col, const CellValue& value) {
      if (written.count({row, col}) != 0) {
        return;
      }
      const CellValue other = to.Get(row, col);
      if (!SameValue(other, value)) {
        from_is_after ? fail(row, col, other, value) : fail(row, col, value, other);
      }
    });
  };
  compare(after, before, true);
  compare(before, after, false);
}

MarkQuery MarksToCheck(std::span<const CellEdit> edits) {
  std::vector<CellPosition> cells;
  for (const CellEdit& e : edits) {
    if (e.mark) {
      cells.push_back({e.row, e.col});
    }
  }
  const auto order = [](const CellPosition& a, const CellPosition& b) {
    return a.row != b.row ? a.row < b.row : a.col < b.col;
  };
  std::sort(cells.begin(), cells.end(), order);
  cells.erase(std::unique(cells.begin(), cells.end(),
                          [](const CellPosition& a, const CellPosition& b) {
                            return a.row == b.row && a.col == b.col;
                          }),
              cells.end());
  return MarkQuery(std::move(cells));
}

void CheckWrittenMarks(const MarkQuery& marks, const std::string& path, const std::string& where) {
  for (std::size_t i = 0; i < marks.cells().size(); ++i) {
    if (!marks.marked(i)) {
      const CellPosition& cell = marks.cells()[i];
      throw RunError(err::kBadFileFormat,
                     "ファイル \"" + path +
                         "\" への書き込みを取りやめました: 書き込んだ結果を読み直すと、" + where +
                         "のセル " + CellName(cell.row, cell.col) +
                         " に灰色の印 (塗りつぶし) が付いていません (元のファイルはそのままです)");
    }
  }
}

}  // namespace ombrix::sheet
