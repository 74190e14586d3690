#include "sheet/office_lock_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fakes/temp_folder.h"
#include "model/run_error.h"

namespace ombrix::sheet {
namespace {

namespace fs = std::filesystem;

TEST(OfficeLockFile, LibreOfficeLockNamesWhoHasTheFileOpen) {
  ombrix::testing::TempFolder dir;
  const fs::path book = dir / "mesh data.xlsx";
  EXPECT_FALSE(FindOfficeLock(book));
  EXPECT_NO_THROW(RefuseWhileOpenElsewhere("mesh data.xlsx", book));
  std::ofstream(dir / ".~lock.mesh data.xlsx#")
      << "Hanako Yamada,hanako,survey-pc,07.12.2026 10:15,file:///home/hanako/.config/lo/4;";
  // Another workbook's lock file is not this one's.
  std::ofstream(dir / ".~lock.other.xlsx#") << "x,y,z,w,v;";
  const auto lock = FindOfficeLock(book);
  ASSERT_TRUE(lock);
  EXPECT_EQ(lock->path, dir / ".~lock.mesh data.xlsx#");
  EXPECT_EQ(lock->holder, "Hanako Yamada (hanako@survey-pc, 07.12.2026 10:15)");
  try {
    RefuseWhileOpenElsewhere("shown.xlsx", book);
    ADD_FAILURE() << "not refused";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), err::kPathFileAccess);
    EXPECT_NE(e.description().find("\"shown.xlsx\""), std::string::npos);
    EXPECT_NE(e.description().find("Hanako Yamada"), std::string::npos);
    EXPECT_NE(e.description().find(lock->path), std::string::npos);
  }
}

TEST(OfficeLockFile, AHostileLockFileStillGivesOneCleanLine) {
  ombrix::testing::TempFolder dir;
  const fs::path book = dir / "mesh.xls";
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
  ASSERT_TRUE(FindOfficeLock(book));
  EXPECT_EQ(FindOfficeLock(book)->holder, "");
}

TEST(OfficeLockFile, MicrosoftOfficeOwnerFileCountsToo) {
  ombrix::testing::TempFolder dir;
  const fs::path book = dir / "mesh.xlsx";
  std::ofstream(dir / "~$mesh.xlsx") << "\x05owner";
  const auto lock = FindOfficeLock(book);
  ASSERT_TRUE(lock);
  EXPECT_EQ(lock->path, dir / "~$mesh.xlsx");
  EXPECT_THROW(RefuseWhileOpenElsewhere("mesh.xlsx", book), RunError);
}

}  // namespace
}  // namespace ombrix::sheet
