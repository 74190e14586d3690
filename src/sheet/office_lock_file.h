#pragma once
// The lock files spreadsheet applications keep beside a workbook they have open: LibreOffice's
// ".~lock.NAME#" and Microsoft Office's "~$NAME". While one exists, the application may save
// its own copy over ours at any moment, so we do not write.

#include <filesystem>
#include <optional>
#include <string>

namespace ombrix::sheet {

struct OfficeLock {
  std::string path;    // the lock file
  std::string holder;  // who holds it, as far as the file says (may be empty)
};

// The lock file beside `workbook`, if there is one.
std::optional<OfficeLock> FindOfficeLock(const std::filesystem::path& workbook);

// Error 75 naming `shown` (the name the user gave) when `workbook` has a lock file beside it.
void RefuseWhileOpenElsewhere(const std::string& shown, const std::filesystem::path& workbook);

}  // namespace ombrix::sheet
