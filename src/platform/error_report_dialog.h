#pragma once

#include "model/error_report.h"
#include "platform/dialogs.h"

namespace ombrix {

// Shows the error report of a failed command: OK only, titled "エラー報告".
void ShowErrorReport(Dialogs& dialogs, const RunError& error, Aborted aborted);

}  // namespace ombrix
