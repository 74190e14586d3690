#pragma once
// What both workbook formats say when the tab a workbook opens on is a chart sheet: the cells
// the layouts need are on a worksheet, and guessing which one would read or write the wrong
// sheet.

#include <string>

namespace ombrix::sheet {

inline std::string ActiveChartMessage(const std::string& sheet_name) {
  return "アクティブなシート \"" + sheet_name +
         "\" はグラフシートです。ワークシートをアクティブにして保存し直してください (the active "
         "sheet is a chart; make a worksheet active and save)";
}

}  // namespace ombrix::sheet
