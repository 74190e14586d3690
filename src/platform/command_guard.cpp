#include "platform/command_guard.h"

#include <new>

#include "platform/error_report_dialog.h"

namespace ombrix {

bool RunGuarded(Dialogs& dialogs, Aborted aborted, const std::function<void()>& body) {
  try {
    body();
    return true;
  } catch (const RunError& e) {
    ShowErrorReport(dialogs, e, aborted);
  } catch (const std::bad_alloc&) {
    ShowErrorReport(
        dialogs,
        RunError(err::kOutOfMemory,
                 "メモリが足りません: 処理に要るメモリを確保できないため中止しました。"),
        aborted);
  } catch (const std::exception& e) {
    ShowErrorReport(dialogs, RunError(err::kInternalError, std::string("内部エラー: ") + e.what()),
                    aborted);
  }
  return false;
}

}  // namespace ombrix
