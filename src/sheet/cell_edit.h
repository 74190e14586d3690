#pragma once
// Changes to cells of a workbook's active sheet, and how a mark is stored.

#include "platform/workbook_writer.h"

namespace ombrix::sheet {

using CellEdit = ombrix::CellEdit;

// The BIFF colour index of palette entry 16 (grey #808080).
inline constexpr int kMarkColourIndex = 23;

}  // namespace ombrix::sheet
