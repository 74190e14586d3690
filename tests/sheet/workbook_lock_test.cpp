#include "sheet/workbook_lock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "fakes/error_capture.h"
#include "fakes/temp_folder.h"
#include "model/run_error.h"
#include "platform/work_stopped.h"
#include "sheet/office_lock_file.h"

namespace ombrix::sheet {
namespace {

using namespace std::chrono_literals;

TEST(WorkbookLockTest, ASecondWriterWaitsAndGivesUpWithAMessageOrAtAStop) {
  ombrix::testing::TempFolder dir;
  const std::string path = dir / "mesh.xlsx";
  std::ofstream(path, std::ios::binary) << "first";
  const WorkbookLock held(path, "mesh.xlsx");
  EXPECT_EQ(held.ReadAll(), std::vector<std::uint8_t>({'f', 'i', 'r', 's', 't'}));
  const auto start = std::chrono::steady_clock::now();
  const RunError e = ErrorOf([&] { WorkbookLock(path, "shown/mesh.xlsx", nullptr, 150ms); });
  EXPECT_EQ(e.number(), err::kPathFileAccess);
  EXPECT_NE(e.description().find("\"shown/mesh.xlsx\""), std::string::npos) << e.what();
  EXPECT_NE(e.description().find("別の書き込み"), std::string::npos) << e.what();
  EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
  // A stop ends the wait at once, long before the patience runs out.
  const std::atomic<bool> stop{true};
  EXPECT_THROW(WorkbookLock(path, "mesh.xlsx", &stop, 10s), WorkStopped);
  EXPECT_THROW(WorkbookLock(dir / "missing.xlsx", "missing.xlsx"), RunError);
}

TEST(OfficeLockFile, ALockFileNamesWhoHasTheFileOpen) {
  ombrix::testing::TempFolder dir;
  const std::filesystem::path book = dir / "mesh data.xlsx";
  EXPECT_NO_THROW(RefuseWhileOpenElsewhere("mesh data.xlsx", book));
  std::ofstream(dir / ".~lock.mesh data.xlsx#")
      << "Hanako Yamada,hanako,survey-pc,07.12.2026 10:15,file:///home/hanako/.config/lo/4;";
  // Another workbook's lock file is not this one's.
  std::ofstream(dir / ".~lock.other.xlsx#") << "x,y,z,w,v;";
  const auto lock = FindOfficeLock(book);
  ASSERT_TRUE(lock);
  EXPECT_EQ(lock->path, dir / ".~lock.mesh data.xlsx#");
  EXPECT_EQ(lock->holder, "Hanako Yamada (hanako@survey-pc, 07.12.2026 10:15)");
  const RunError e = ErrorOf([&] { RefuseWhileOpenElsewhere("shown.xlsx", book); });
  EXPECT_EQ(e.number(), err::kPathFileAccess);
  EXPECT_NE(e.description().find("\"shown.xlsx\""), std::string::npos);
  EXPECT_NE(e.description().find("Hanako Yamada"), std::string::npos);
  EXPECT_NE(e.description().find(lock->path), std::string::npos);
  // Microsoft Office's owner file counts too.
  const std::filesystem::path owned = dir / "owned.xlsx";
  std::ofstream(dir / "~$owned.xlsx") << "\x05owner";
  EXPECT_EQ(FindOfficeLock(owned).value().path, dir / "~$owned.xlsx");
}

TEST(OfficeLockFile, AHostileLockFileStillGivesOneCleanLine) {
  ombrix::testing::TempFolder dir;
  const std::filesystem::path book = dir / "mesh.xls";
  // Invalid UTF-8, line breaks, a very long name and no fields after it.
  std::ofstream(dir / ".~lock.mesh.xls#", std::ios::binary)
      << "bad\xff\xfe name\r\nsecond line" << std::string(500, 'x');
  const auto lock = FindOfficeLock(book);
  ASSERT_TRUE(lock);
  EXPECT_EQ(lock->holder.find_first_of("\r\n\xff\xfe"), std::string::npos) << lock->holder;
  EXPECT_EQ(lock->holder.rfind("bad name", 0), 0u) << lock->holder;
  EXPECT_LE(lock->holder.size(), 80u + 3u);  // with the "…"
  // An empty lock file, as a crashed application may leave, still counts.
  std::ofstream(dir / ".~lock.mesh.xls#", std::ios::trunc);
  EXPECT_EQ(FindOfficeLock(book).value().holder, "");
}

}  // namespace
}  // namespace ombrix::sheet
