#pragma once
// Fixed texts of the message boxes. They are shown to the user exactly as written here.

#include <string_view>

namespace ombrix::msg {

// The application's own title, for messages that carry no title of their own.
inline constexpr std::string_view kApplicationTitle = "ombrix";
// Title of every error report and of the input-check messages.
inline constexpr std::string_view kErrorReportTitle = "エラー報告";
// Start of the error report, before the error number.
inline constexpr std::string_view kErrorNumberPrefix = "エラー番号：";
// Full-width blank between the error number and its description.
inline constexpr std::string_view kFullWidthBlank = "　";

// Closing lines of an error report: what the failure aborted.
inline constexpr std::string_view kLoadingAborted = "読み込みを中断します。";
inline constexpr std::string_view kWritingAborted = "書き込みを中断します。";
// The drawing or the fit was stopped; the program itself goes on.
inline constexpr std::string_view kCommandAborted = "コマンドを中断します。";

// Input checks that are not run-time errors.
inline constexpr std::string_view kNoData = "データがありません。ファイルを読み込んで下さい。";
inline constexpr std::string_view kLineWidthTooSmall = "コンターラインの幅は 1 以上です。";

// The mesh division's input box, and the rule its answer must follow.
inline constexpr std::string_view kDivisionPrompt = "メッシュの分割回数を入力して下さい。";
inline constexpr std::string_view kDivisionTitle = "メッシュ分割回数";
inline constexpr std::string_view kDivisionDefault = "2";
inline constexpr std::string_view kDivisionCountRule =
    "メッシュの分割回数は 1 以上の整数で入力して下さい。";

// The contour image save's input box.
inline constexpr std::string_view kContourSavePrompt = "名前を入力して下さい。";
inline constexpr std::string_view kContourSaveTitle = "コンター図保存";
inline constexpr std::string_view kContourSaveDefault = "ContourMap";

// The view-shrink factor typed into the panel, when it cannot be used.
inline constexpr std::string_view kShrinkFactorRule =
    "縮小率は「2/3」や「0.5」のように数値か分数で入力して下さい。";
inline constexpr std::string_view kShrinkDivisorZero = "縮小率の分母が 0 です。";
inline constexpr std::string_view kShrinkFrameRule =
    "枠の幅と高さは 1 ピクセル以上 20000 ピクセル以下でなければなりません。";

}  // namespace ombrix::msg
