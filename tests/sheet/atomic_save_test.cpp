#include "sheet/atomic_save.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "fakes/error_capture.h"
#include "fakes/temp_folder.h"
#include "model/run_error.h"
#include "sheet/stale_temporaries.h"

namespace ombrix::sheet {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::string Content(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class AtomicSave : public ::testing::Test {
 protected:
  AtomicSave() {
    std::ofstream(file_, std::ios::binary) << "original content";
    ::chmod(file_.c_str(), 0640);
  }
  ~AtomicSave() override { ::chmod(folder_.c_str(), 0700); }  // removable, whatever a case left
  // Everything in the folder but the file itself: temporary files left behind.
  long Leftovers() const {
    return std::count_if(fs::directory_iterator(folder_), {},
                         [&](const fs::directory_entry& e) { return e.path() != file_; });
  }

  ombrix::testing::TempFolder dir_;
  const fs::path folder_ = dir_.path();
  const fs::path file_ = folder_ / "mesh.xls";
};

// Step `at` (1 create, 2 write, 3 mode, 4 flush, 5 close, 6 rename) fails with `error`, or first
// sends the process `signal`. Writes are short, so the loop has to come back for the rest.
class TrippedSteps : public SaveSteps {
 public:
  TrippedSteps(int at, int error, int signal = 0) : at_(at), error_(error), signal_(signal) {}
  int CreateTemporary(std::string& t) override {
    return Trips(1) ? -1 : SaveSteps::CreateTemporary(t);
  }
  long Write(int fd, const std::uint8_t* d, std::size_t n) override {
    return Trips(2) ? -1 : SaveSteps::Write(fd, d, std::min<std::size_t>(n, 3));
  }
  int ChangeMode(int fd, unsigned mode) override {
    return Trips(3) ? -1 : SaveSteps::ChangeMode(fd, mode);
  }
  int Flush(int fd) override { return Trips(4) ? -1 : SaveSteps::Flush(fd); }
  int Close(int fd) override {
    if (signal_ != 0)
      Trips(5);
    const int result = SaveSteps::Close(fd);  // the descriptor is released either way
    return signal_ == 0 && Trips(5) ? -1 : result;
  }
  int Rename(const std::string& a, const std::string& b) override {
    return Trips(6) ? -1 : SaveSteps::Rename(a, b);
  }

 private:
  bool Trips(int step) const {
    if (step != at_)
      return false;
    if (signal_ != 0) {
      ::kill(::getpid(), signal_);
      return false;
    }
    errno = error_;
    return true;
  }
  int at_, error_, signal_;
};

TEST_F(AtomicSave, AFailureAtAnyStepLeavesTheOriginalAndNoTemporaryFile) {
  for (int step = 1; step <= 6; ++step) {
    TrippedSteps steps(step, step == 2 ? ENOSPC : EIO);
    const RunError e = ErrorOf(
        [&] { SaveAtomically(file_.string(), Bytes("replacement that must not land"), steps); });
    EXPECT_EQ(e.number(), err::kPathFileAccess) << step;
    EXPECT_NE(e.description().find(file_.string()), std::string::npos) << step;
    EXPECT_NE(e.description().find(std::strerror(step == 2 ? ENOSPC : EIO)), std::string::npos)
        << e.description();
    EXPECT_EQ(Content(file_), "original content") << step;
    EXPECT_EQ(Leftovers(), 0) << step;
  }
  // The steps without a failure save through the short writes.
  TrippedSteps none(0, 0);
  SaveAtomically(file_.string(), Bytes("written three bytes at a time"), none);
  EXPECT_EQ(Content(file_), "written three bytes at a time");
}

TEST_F(AtomicSave, ASymbolicLinkIsSavedThroughAndStaysALink) {
  // link -> chain -> sub/real.xls, relative links, the file in another folder.
  fs::create_directories(folder_ / "sub");
  fs::rename(file_, folder_ / "sub" / "real.xls");
  fs::create_symlink("sub/real.xls", folder_ / "chain");
  fs::create_symlink("chain", file_);
  SaveAtomically(file_.string(), Bytes("through the links"));
  EXPECT_TRUE(fs::is_symlink(file_));
  EXPECT_EQ(Content(folder_ / "sub" / "real.xls"), "through the links");
  EXPECT_EQ(fs::status(folder_ / "sub" / "real.xls").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // The temporary file went to the target's folder and is gone; nothing else appeared.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_ / "sub"), fs::directory_iterator()), 1);
  EXPECT_EQ(Leftovers(), 2);  // "sub" and "chain"
  // A link to nothing is refused and stays as it was.
  fs::create_symlink("nowhere.xls", folder_ / "dangling");
  EXPECT_THROW(SaveAtomically((folder_ / "dangling").string(), Bytes("x")), RunError);
  EXPECT_THROW(CreateOrReplace((folder_ / "dangling").string(), Bytes("x")), RunError);
  EXPECT_TRUE(fs::is_symlink(folder_ / "dangling"));
  EXPECT_FALSE(fs::exists(folder_ / "nowhere.xls"));
}

TEST_F(AtomicSave, WhatASaveMayNotReplaceIsRefusedAndLeftAsItWas) {
  ::chmod(file_.c_str(), 0444);
  EXPECT_THROW(SaveAtomically(file_.string(), Bytes("x")), RunError);
  EXPECT_EQ(Content(file_), "original content");
  ::chmod(file_.c_str(), 0644);
  EXPECT_THROW(SaveAtomically((folder_ / "missing.xls").string(), Bytes("x")), RunError);
  EXPECT_FALSE(fs::exists(folder_ / "missing.xls"));
  if (::geteuid() != 0) {  // root writes into any folder
    ::chmod(folder_.c_str(), 0555);
    EXPECT_THROW(SaveAtomically(file_.string(), Bytes("x")), RunError);
    ::chmod(folder_.c_str(), 0755);
    EXPECT_EQ(Content(file_), "original content");
  }
  // A file with a second name (a hard link): both names keep the old content.
  const fs::path other = folder_ / "other-name.xls";
  fs::create_hard_link(file_, other);
  const RunError e = ErrorOf([&] { SaveAtomically(file_.string(), Bytes("split the names")); });
  EXPECT_EQ(e.number(), err::kPathFileAccess);
  EXPECT_NE(e.description().find("ハードリンク"), std::string::npos) << e.description();
  EXPECT_NE(e.description().find(file_.string()), std::string::npos) << e.description();
  EXPECT_THROW(RequireReplaceable(file_.string()), RunError);
  EXPECT_THROW(CreateOrReplace(other.string(), Bytes("x")), RunError);
  EXPECT_EQ(Content(file_), "original content");
  EXPECT_TRUE(fs::equivalent(file_, other));
  fs::remove(other);
  EXPECT_EQ(Leftovers(), 0);
}

TEST_F(AtomicSave, AnInterruptAtAnyStepRemovesTheTemporaryFileAndEndsTheProcess) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL})
    for (int step = 2; step <= 6; ++step) {
      SCOPED_TRACE(std::string(strsignal(signal)) + " at step " + std::to_string(step));
      EXPECT_EXIT(
          {
            TrippedSteps steps(step, 0, signal);
            SaveAtomically(file_.string(), Bytes("interrupted"), steps);
            std::exit(0);
          },
          ::testing::KilledBySignal(signal), "");
      // A signal during the rename waits for it: the file is the old one or the whole new one.
      // Nothing cleans up after SIGKILL: one temporary file stays (the next save takes it).
      const bool renamed = step == 6 && signal != SIGKILL;
      EXPECT_EQ(Content(file_), renamed ? "interrupted" : "original content");
      EXPECT_EQ(Leftovers(), signal == SIGKILL ? 1 : 0);
      std::ofstream(file_, std::ios::binary) << "original content";
    }
  SaveAtomically(file_.string(), Bytes("after the kills"));  // and sweeps what SIGKILL left
  EXPECT_EQ(Leftovers(), 0);
  // An ignored hangup does not stop the save.
  EXPECT_EXIT(
      {
        ::signal(SIGHUP, SIG_IGN);  // as under nohup
        TrippedSteps steps(2, 0, SIGHUP);
        SaveAtomically(file_.string(), Bytes("saved anyway"), steps);
        // The disposition is the caller's again.
        struct sigaction now {};
        ::sigaction(SIGHUP, nullptr, &now);
        std::exit(now.sa_handler == SIG_IGN ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(Content(file_), "saved anyway");
  EXPECT_EQ(Leftovers(), 0);
}

TEST_F(AtomicSave, TheSweepTakesOnlyOurUnlockedTemporaryFiles) {
  // A save in progress elsewhere: a temporary file that its writer holds locked.
  const fs::path busy = folder_ / ".mesh.xls.ombrix-Busy01";
  const int holder = ::open(busy.c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  // Names that only look like ours (a short, long or odd suffix, no leading dot, no name before
  // the marker, another marker), a folder and a link with our shape, and a stale one.
  for (const char* name :
       {".mesh.xls.ombrix-abc", "mesh.xls.ombrix-abcdef", ".mesh.xls.ombrix-ab.def",
        ".mesh.xls.ombrix-abcdefg", ".other.ombrix-abc?ef", ".a.ombrix-abc-ef", ".ombrix-abcdef",
        ".a.ombrix_abcdef"})
    std::ofstream(folder_ / name) << "someone else's";
  fs::create_symlink(file_, folder_ / ".link.ombrix-abcdef");
  // A staging folder with a subfolder is not one of ours as we make them.
  fs::create_directories(folder_ / ".grid.tif.ombrix-Nested" / "sub");
  std::ofstream(folder_ / ".book.xlsx.ombrix-Stale9") << "left by a killed save";
  fs::create_directory(folder_ / ".lines.shp.ombrix-Stale8");
  std::ofstream(folder_ / ".lines.shp.ombrix-Stale8" / "lines.shp") << "half";
  EXPECT_EQ(RemoveStaleTemporaries(folder_), 2);
  EXPECT_FALSE(fs::exists(folder_ / ".book.xlsx.ombrix-Stale9"));
  EXPECT_FALSE(fs::exists(folder_ / ".lines.shp.ombrix-Stale8"));
  EXPECT_TRUE(fs::exists(folder_ / ".grid.tif.ombrix-Nested" / "sub"));
  EXPECT_TRUE(fs::exists(busy));
  EXPECT_EQ(Leftovers(), 11);
  ::close(holder);  // the writer went away: now it is stale
  EXPECT_EQ(RemoveStaleTemporaries(folder_), 1);
  EXPECT_FALSE(fs::exists(busy));
  EXPECT_TRUE(fs::is_symlink(folder_ / ".link.ombrix-abcdef"));
  EXPECT_EQ(Content(file_), "original content");
  EXPECT_EQ(RemoveStaleTemporaries(folder_ / "no-such-folder"), 0);
  // The names saves make have the shape the sweep looks for.
  const std::string made = TemporaryTemplate("/some/folder", "/elsewhere/mesh book.xlsx");
  EXPECT_EQ(made, "/some/folder/.mesh book.xlsx.ombrix-XXXXXX");
  EXPECT_TRUE(IsTemporaryName(fs::path(made).filename().string()));
  EXPECT_TRUE(IsTemporaryName(".a.ombrix-0aZ9xy"));
}

}  // namespace
}  // namespace ombrix::sheet
