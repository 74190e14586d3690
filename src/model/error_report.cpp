#include "model/error_report.h"

#include "model/messages.h"
#include "model/numeric.h"
#include "model/quoted_text.h"

namespace ombrix {

std::string_view ClosingLine(Aborted aborted) {
  switch (aborted) {
    case Aborted::Loading:
      return msg::kLoadingAborted;
    case Aborted::Writing:
      return msg::kWritingAborted;
    case Aborted::Command:
      return msg::kCommandAborted;
  }
  return msg::kCommandAborted;
}

std::string ErrorReportText(int number, std::string_view description, Aborted aborted) {
  std::string text(msg::kErrorNumberPrefix);
  text += NumberText(number);
  text += msg::kFullWidthBlank;
  text += OneLine(description);
  text += '\r';
  text += ClosingLine(aborted);
  return text;
}

std::string ErrorReportText(const RunError& error, Aborted aborted) {
  return ErrorReportText(error.number(), error.what(), aborted);
}

}  // namespace ombrix
