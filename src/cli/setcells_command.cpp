#include "cli/setcells_command.h"

#include <charconv>
#include <cmath>

#include "cli/arguments.h"
#include "sheet/edit_workbook.h"

namespace ombrix::cli {
namespace {

template <typename T>
bool ParseWhole(const std::string& text, T& value) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

}  // namespace

sheet::CellEdit ParseCellEdit(const std::string& text) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t comma = text.find(',');; comma = text.find(',', start)) {
    fields.push_back(text.substr(start, comma == std::string::npos ? comma : comma - start));
    if (comma == std::string::npos) {
      break;
    }
    start = comma + 1;
  }
  sheet::CellEdit edit;
  double value = 0;
  const bool shape_ok = (fields.size() == 3 || (fields.size() == 4 && fields[3] == "mark"));
  if (!shape_ok || !ParseWhole(fields[0], edit.row) || !ParseWhole(fields[1], edit.col) ||
      edit.row < 1 || edit.col < 1 || !ParseWhole(fields[2], value) || !std::isfinite(value)) {
    throw UsageError(
        "a cell is ROW,COL,VALUE or ROW,COL,VALUE,mark (rows and columns from 1, "
        "a finite number), not '" +
        text + "'");
  }
  edit.value = value;
  edit.mark = fields.size() == 4;
  return edit;
}

int SetCells(const std::vector<std::string>& args, std::ostream& out) {
  if (args.size() < 2) {
    throw UsageError("setcells takes a workbook and at least one ROW,COL,VALUE[,mark]");
  }
  const std::string path = args.front();
  std::vector<sheet::CellEdit> edits;
  for (std::size_t i = 1; i < args.size(); ++i) {
    edits.push_back(ParseCellEdit(args[i]));
  }
  return RunHeadless(out, [&](std::string& text) {
    sheet::EditWorkbook(path, edits);
    text += "saved," + path + "," + std::to_string(edits.size()) + "\n";
  });
}

}  // namespace ombrix::cli
