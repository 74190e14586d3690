#include "sheet/edit_workbook.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "model/run_error.h"
#include "platform/work_stopped.h"
#include "sheet/atomic_save.h"
#include "sheet/office_lock_file.h"
#include "sheet/workbook_format.h"
#include "sheet/workbook_lock.h"
#include "sheet/written_cells_check.h"
#include "sheet/xls/xls_reader.h"
#include "sheet/xls/xls_writer.h"
#include "sheet/xlsx/xlsx_reader.h"
#include "sheet/xlsx/xlsx_writer.h"

namespace ombrix::sheet {

void EditWorkbook(const std::string& path, std::span<const CellEdit> edits,
                  const std::atomic<bool>* stop) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (path.empty() || !std::filesystem::exists(status)) {
    throw RunError(err::kFileNotFound, "ファイルが見つかりません: \"" + path + "\"");
  }
  if (std::filesystem::is_directory(status)) {
    throw RunError(err::kPathFileAccess,
                   "\"" + path + "\" はフォルダーで、ファイルではありません。");
  }
  if (!std::filesystem::is_regular_file(status)) {
    throw RunError(err::kPathFileAccess,
                   "\"" + path + "\" は通常のファイルではないため書き込めません。");
  }
  // Through a symbolic link the target is read, locked and replaced; the link stays.
  const std::string target = ResolveSaveTarget(path);
  // Checked and read under the lock, so that the edits land on what the last writer saved,
  // not on what was there before it.
  const WorkbookLock lock(target, path, stop);
  RequireReplaceable(target);
  RefuseWhileOpenElsewhere(path, target);
  if (target != path) {
    RefuseWhileOpenElsewhere(path, path);
  }
  const std::vector<std::uint8_t> bytes = lock.ReadAll();
  const std::vector<std::uint8_t> edited = EditWorkbookBytes(bytes, path, edits);
  // The last moment a stop leaves the file as it was.
  if (stop != nullptr && stop->load()) {
    throw WorkStopped{};
  }
  SaveAtomically(target, edited);
}

std::vector<std::uint8_t> EditWorkbookBytes(const std::vector<std::uint8_t>& bytes,
                                            const std::string& path,
                                            std::span<const CellEdit> edits) {
  const bool xls = RecognizeWorkbook(bytes, path) == WorkbookFormat::kXls;
  // A workbook the reader refuses is not written either: what we cannot read back we cannot
  // check.
  const std::unique_ptr<SheetWorkbook> before =
      xls ? ReadXlsBytes(bytes, path) : ReadXlsxBytes(bytes, path);
  std::vector<std::uint8_t> edited =
      xls ? EditXlsBytes(bytes, path, edits) : EditXlsxBytes(bytes, path, edits);
  CheckEditedWorkbook(*before, edited, path, edits);
  return edited;
}

void CheckEditedWorkbook(const SheetWorkbook& before, const std::vector<std::uint8_t>& edited,
                         const std::string& path, std::span<const CellEdit> edits) {
  const bool xls = RecognizeWorkbook(edited, path) == WorkbookFormat::kXls;
  // The marks are looked up while the new content is read, only when there are any.
  MarkQuery marks = MarksToCheck(edits);
  MarkQuery* asked = marks.cells().empty() ? nullptr : &marks;
  std::unique_ptr<SheetWorkbook> after;
  try {
    after = xls ? ReadXlsBytes(edited, path, asked) : ReadXlsxBytes(edited, path, asked);
  } catch (const RunError& e) {
    throw RunError(err::kBadFileFormat,
                   "ファイル \"" + path +
                       "\" への書き込みを取りやめました: 書き込んだ結果が読み直せません (" +
                       e.what() + ")。元のファイルはそのままです。");
  }
  const std::string sheet = "シート \"" + before.ActiveSheetName() + "\" ";
  if (after->ActiveSheetName() != before.ActiveSheetName()) {
    throw RunError(err::kBadFileFormat,
                   "ファイル \"" + path +
                       "\" への書き込みを取りやめました: 書き込んだ結果の作業シートが " + sheet +
                       "ではなくなりました (元のファイルはそのままです)");
  }
  CheckWrittenCells(before.cells(), after->cells(), edits, path, sheet);
  CheckWrittenMarks(marks, path, sheet);
}

}  // namespace ombrix::sheet
