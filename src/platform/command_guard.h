#pragma once
// The one error handler of a command: runs its body, and turns any failure into the error
// report with the command's closing line. Returns false when the body failed.

#include <functional>

#include "model/error_report.h"
#include "platform/dialogs.h"

namespace ombrix {

bool RunGuarded(Dialogs& dialogs, Aborted aborted, const std::function<void()>& body);

}  // namespace ombrix
