#include "platform/error_report_dialog.h"

#include "model/messages.h"

namespace ombrix {

void ShowErrorReport(Dialogs& dialogs, const RunError& error, Aborted aborted) {
  dialogs.Message(ErrorReportText(error, aborted), msg::kErrorReportTitle);
}

}  // namespace ombrix
