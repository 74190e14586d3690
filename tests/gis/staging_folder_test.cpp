#include "gis/staging_folder.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fakes/temp_folder.h"
#include "sheet/stale_temporaries.h"

namespace ombrix::gis {
namespace {

namespace fs = std::filesystem;

long Entries(const fs::path& folder) {
  return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

TEST(StagingFolder, AnInterruptTakesTheFolderAndItsFilesAndAKilledOneGoesWithTheNext) {
  ombrix::testing::TempFolder dir;
  const std::string target = dir / "lines.shp";
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    EXPECT_EXIT(
        {
          StagingFolder staging(target);
          std::ofstream(staging.staged()) << "part";
          std::ofstream(fs::path(staging.staged()).replace_extension(".dbf")) << "part";
          ::kill(::getpid(), signal);
          std::exit(0);
        },
        ::testing::KilledBySignal(signal), "");
    // Nothing can clean up after SIGKILL itself.
    EXPECT_EQ(Entries(dir.path()), signal == SIGKILL ? 1 : 0) << signal;
  }
  {
    StagingFolder staging(target);
    // The old one is gone; the new one is locked, so a sweep leaves it.
    EXPECT_EQ(Entries(dir.path()), 1);
    EXPECT_TRUE(sheet::IsTemporaryName(fs::path(staging.staged()).parent_path().filename()));
    EXPECT_EQ(sheet::RemoveStaleTemporaries(dir.path()), 0);
    std::ofstream(staging.staged()) << "whole";
    staging.MoveIntoPlace();
  }
  EXPECT_EQ(Entries(dir.path()), 1);
  std::ifstream in(target);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "whole");
}

}  // namespace
}  // namespace ombrix::gis
