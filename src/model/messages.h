#pragma once
// Fixed texts of the message boxes. They are shown to the user exactly as written here.

#include <string_view>

namespace ombrix::msg {

// Title of every error report and of the input-check messages.
inline constexpr std::string_view kErrorReportTitle = "エラー報告";
// Start of the error report, before the error number.
inline constexpr std::string_view kErrorNumberPrefix = "エラー番号：";
// Full-width blank between the error number and its description.
inline constexpr std::string_view kFullWidthBlank = "　";

// Closing lines of an error report: what the failure aborted.
inline constexpr std::string_view kLoadingAborted = "読み込みを中断します。";
inline constexpr std::string_view kWritingAborted = "書き込みを中断します。";
inline constexpr std::string_view kProgramAborted = "プログラムを中断します。";

// Input checks that are not run-time errors.
inline constexpr std::string_view kNoData = "データがありません。ファイルを読み込んで下さい。";
inline constexpr std::string_view kLineWidthTooSmall = "コンターラインの幅は 1 以上です。";

}  // namespace ombrix::msg
