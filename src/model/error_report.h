#pragma once
// The one form of the error report that every command's handler shows.

#include <string>
#include <string_view>

#include "model/run_error.h"

namespace ombrix {

// What a failed command aborted; chooses the report's closing line.
enum class Aborted { Loading, Writing, Command };

std::string_view ClosingLine(Aborted aborted);

// "エラー番号：" + number with its leading blank + "　" + description + CR + closing line.
std::string ErrorReportText(int number, std::string_view description, Aborted aborted);
std::string ErrorReportText(const RunError& error, Aborted aborted);

}  // namespace ombrix
