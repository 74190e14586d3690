// Ctrl+C and progress of the command-line fit, in child processes on a mesh that never
// converges (convergence limit 0): the fit shows its progress on a terminal, and SIGINT stops
// it with status 130 and nothing written.

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "cli/interrupt.h"
#include "cli/setcells_command.h"
#include "cli_files.h"
#include "fakes/child_process.h"
#include "fakes/temp_folder.h"

namespace ombrix::cli {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ombrix::testing::ChildProcess;
using ombrix::testing::Content;
using ombrix::testing::Fixture;
using ombrix::testing::TempFolder;

// Waits until the process catches SIGINT (the fit has started), as /proc tells; false after
// half a minute.
bool WaitUntilCatchingCtrlC(pid_t pid) {
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  while (std::chrono::steady_clock::now() < deadline) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("SigCgt:", 0) == 0 &&
          (std::stoull(line.substr(7), nullptr, 16) & (1ull << (SIGINT - 1))) != 0) {
        return true;
      }
    }
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

class OptimiseInterrupt : public ::testing::Test {
 protected:
  OptimiseInterrupt() {
    ombrix::testing::PlaceFixture("hills_mesh.xlsx", mesh_);
    std::ostringstream out;
    SetCells({mesh_, "20,2,0"}, out);  // B20, the convergence limit
  }
  TempFolder dir_;
  std::string mesh_ = dir_ / "mesh.xlsx";
  std::string points_ = Fixture("hills_points.xlsx");
};

TEST_F(OptimiseInterrupt, CtrlCStopsTheFitWithStatus130AndWritesNothing) {
  const std::string original = Content(mesh_);
  const struct {
    std::vector<std::string> args;
    std::string output;
  } runs[] = {
      {{"optimise", mesh_, points_, "--write"}, ""},
      {{"render", mesh_, "-o", dir_ / "map.png", "--points", points_, "--optimise"},
       dir_ / "map.png"},
      {{"grid", mesh_, "-o", dir_ / "grid.asc", "--points", points_, "--optimise"},
       dir_ / "grid.asc"},
  };
  for (const auto& run : runs) {
    SCOPED_TRACE(run.args.front());
    ChildProcess child(OMBRIX_PROGRAM, run.args, dir_ / "out.txt", dir_ / "err.txt");
    ASSERT_TRUE(WaitUntilCatchingCtrlC(child.pid()));
    std::this_thread::sleep_for(300ms);
    const auto sent = std::chrono::steady_clock::now();
    child.Signal(SIGINT);
    const int status = child.Wait();
    EXPECT_LT(std::chrono::steady_clock::now() - sent, 5s);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), kExitInterrupted);
    EXPECT_EQ(Content(dir_ / "out.txt"), "");
    // Not a terminal: no progress, only the one line that says what happened.
    EXPECT_EQ(Content(dir_ / "err.txt"), "ombrix: stopped by Ctrl+C; nothing was written\n");
    EXPECT_EQ(Content(mesh_), original);
    if (!run.output.empty()) {
      EXPECT_FALSE(fs::exists(run.output));
    }
  }
  EXPECT_EQ(ombrix::testing::Entries(dir_.path()), 3);
}

TEST_F(OptimiseInterrupt, ATerminalSeesTheSweepsAFewTimesASecond) {
  int terminal = -1, side = -1;
  char name[256];
  ASSERT_EQ(::openpty(&terminal, &side, name, nullptr, nullptr), 0);
  ChildProcess child(OMBRIX_PROGRAM, {"optimise", mesh_, points_}, name, name);
  ::close(side);  // the child's copies are the last: its end closes the terminal
  ASSERT_TRUE(WaitUntilCatchingCtrlC(child.pid()));
  std::this_thread::sleep_for(2s);
  child.Signal(SIGINT);
  std::string seen;
  char buffer[4096];
  for (ssize_t n; (n = ::read(terminal, buffer, sizeof buffer)) > 0;)
    seen.append(buffer, static_cast<std::size_t>(n));
  ::close(terminal);
  const int status = child.Wait();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), kExitInterrupted);
  // At most four times a second for two seconds; the line's form is optimise_progress_test's.
  const std::size_t lines = ombrix::testing::Count(seen, "\r\x1b[Kombrix: optimising: sweep ");
  EXPECT_GE(lines, 2u) << seen;
  EXPECT_LE(lines, 9u) << seen;
  EXPECT_NE(seen.find("\r\x1b[Kombrix: stopped by Ctrl+C; nothing was written"), std::string::npos)
      << seen;
  // "node," lines would mean the fit was printed as if it had ended.
  EXPECT_EQ(seen.find("node,"), std::string::npos);
}

}  // namespace
}  // namespace ombrix::cli
