#include "sheet/atomic_save.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "model/run_error.h"

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
    folder_ = fs::temp_directory_path() /
              ("ombrix_save_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++));
    fs::create_directories(folder_);
    file_ = folder_ / "mesh.xls";
    std::ofstream(file_, std::ios::binary) << "original content";
    ::chmod(file_.c_str(), 0640);
  }
  ~AtomicSave() override {
    ::chmod(folder_.c_str(), 0755);
    fs::remove_all(folder_);
  }
  // Everything in the folder but the file itself: temporary files left behind.
  int Leftovers() const {
    int n = 0;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      n += entry.path() != file_;
    }
    return n;
  }

  static inline int counter_ = 0;
  fs::path folder_;
  fs::path file_;
};

TEST_F(AtomicSave, ReplacesTheContentAndKeepsThePermissions) {
  SaveAtomically(file_.string(), Bytes("new content, longer than before"));
  EXPECT_EQ(Content(file_), "new content, longer than before");
  EXPECT_EQ(fs::status(file_).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(Leftovers(), 0);
}

// Steps that fail at step number `fail_at` (1 create, 2 write, 3 mode, 4 flush, 5 close,
// 6 rename) with the given errno.
class FailingSteps : public SaveSteps {
 public:
  FailingSteps(int fail_at, int error) : fail_at_(fail_at), error_(error) {}
  int CreateTemporary(std::string& t) override {
    return Fails(1) ? -1 : SaveSteps::CreateTemporary(t);
  }
  long Write(int fd, const std::uint8_t* d, std::size_t n) override {
    // A short write first, so the loop has to come back for the rest.
    return Fails(2) ? -1 : SaveSteps::Write(fd, d, std::min<std::size_t>(n, 3));
  }
  int ChangeMode(int fd, unsigned mode) override {
    return Fails(3) ? -1 : SaveSteps::ChangeMode(fd, mode);
  }
  int Flush(int fd) override { return Fails(4) ? -1 : SaveSteps::Flush(fd); }
  int Close(int fd) override {
    const int result = SaveSteps::Close(fd);  // the descriptor is released either way
    return Fails(5) ? -1 : result;
  }
  int Rename(const std::string& a, const std::string& b) override {
    return Fails(6) ? -1 : SaveSteps::Rename(a, b);
  }

 private:
  bool Fails(int step) const {
    if (step == fail_at_) {
      errno = error_;
      return true;
    }
    return false;
  }
  int fail_at_;
  int error_;
};

TEST_F(AtomicSave, AFailureAtAnyStepLeavesTheOriginalAndNoTemporaryFile) {
  for (int step = 1; step <= 6; ++step) {
    FailingSteps steps(step, step == 2 ? ENOSPC : EIO);
    try {
      SaveAtomically(file_.string(), Bytes("replacement that must not land"), steps);
      ADD_FAILURE() << "step " << step << " did not fail";
    } catch (const RunError& e) {
      EXPECT_EQ(e.number(), err::kPathFileAccess) << step;
      EXPECT_NE(e.description().find(file_.string()), std::string::npos) << step;
      EXPECT_NE(e.description().find(std::strerror(step == 2 ? ENOSPC : EIO)), std::string::npos)
          << e.description();
    }
    EXPECT_EQ(Content(file_), "original content") << step;
    EXPECT_EQ(Leftovers(), 0) << step;
  }
  // The steps without a failure save through the short writes.
  FailingSteps none(0, 0);
  SaveAtomically(file_.string(), Bytes("written three bytes at a time"), none);
  EXPECT_EQ(Content(file_), "written three bytes at a time");
}

TEST_F(AtomicSave, ReadOnlyFilesMissingFilesAndUnwritableFoldersAreRefused) {
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
  EXPECT_EQ(Leftovers(), 0);
}

}  // namespace
}  // namespace ombrix::sheet
