#pragma once
// `ombrix setcells WORKBOOK ROW,COL,VALUE[,mark] ...`: writes cells of the active sheet and
// saves once.

#include <ostream>
#include <string>
#include <vector>

#include "cli/run_guard.h"
#include "sheet/cell_edit.h"

namespace ombrix::cli {

// "7,8,12.5" or "7,8,12.5,mark"; UsageError for anything else.
sheet::CellEdit ParseCellEdit(const std::string& text);

int SetCells(const std::vector<std::string>& args, std::ostream& out);

}  // namespace ombrix::cli
