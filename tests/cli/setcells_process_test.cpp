// `ombrix setcells` as the user runs it, in child processes: two writers at once, and signals
// in the middle of a save.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iostream>
#include <utility>

#include "cli_files.h"
#include "fakes/child_process.h"
#include "fakes/temp_folder.h"
#include "sheet/file_descriptor.h"
#include "sheet/open_workbook.h"
#include "sheet/stale_temporaries.h"

namespace ombrix::cli {
namespace {

namespace fs = std::filesystem;
using ombrix::testing::ChildProcess;
using ombrix::testing::Entries;
using ombrix::testing::PlaceFixture;
using ombrix::testing::TempFolder;

TEST(SetCellsProcesses, TwoWritersAtOnceBothEditsLandEveryTime) {
  TempFolder dir;
  for (int round = 1; round <= 50; ++round) {
    const bool xls = round % 2 == 0;
    const fs::path book = dir / (xls ? "mesh.xls" : "mesh.xlsx");
    PlaceFixture(xls ? "mesh_small.lo.xls" : "mesh_small.lo.xlsx", book);
    ChildProcess first(OMBRIX_PROGRAM, {"setcells", book.string(), "6,7," + std::to_string(round)});
    ChildProcess second(OMBRIX_PROGRAM,
                        {"setcells", book.string(), "8,9,-" + std::to_string(round) + ",mark"});
    ASSERT_TRUE(first.started() && second.started());
    const int a = first.Wait();
    const int b = second.Wait();
    ASSERT_TRUE(WIFEXITED(a) && WEXITSTATUS(a) == 0) << round;
    ASSERT_TRUE(WIFEXITED(b) && WEXITSTATUS(b) == 0) << round;
    const auto after = sheet::OpenWorkbook(book.string());
    ASSERT_EQ(after->Cell(6, 7), CellValue::Number(round)) << "round " << round;
    ASSERT_EQ(after->Cell(8, 9), CellValue::Number(-round)) << "round " << round;
    ASSERT_EQ(Entries(dir.path()), 1) << round;  // no temporary left
    fs::remove(book);
  }
}

// Starts a setcells and sends it `signal` the moment its temporary file appears (watched with
// inotify), so that the signal lands inside the save. Returns whether it did: a run that
// ended first is a miss.
bool SignalInsideTheSave(const fs::path& folder, const fs::path& book, int signal, int& status) {
  const sheet::FileDescriptor watch(::inotify_init1(IN_CLOEXEC));
  EXPECT_GE(::inotify_add_watch(watch.get(), folder.c_str(), IN_CREATE), 0);
  ChildProcess run(OMBRIX_PROGRAM, {"setcells", book.string(), "6,7,12345.5"});
  bool hit = false;
  alignas(inotify_event) char buffer[4096];
  pollfd wait{watch.get(), POLLIN, 0};
  while (!hit && ::poll(&wait, 1, 5000) > 0) {
    const ssize_t n = ::read(watch.get(), buffer, sizeof buffer);
    for (ssize_t at = 0; n > 0 && at < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      if (event->len > 0 && sheet::IsTemporaryName(event->name)) {
        run.Signal(signal);
        hit = true;
        break;
      }
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  status = run.Wait();
  return hit;
}

// After a signal inside a save the folder holds only the workbook, with the old value or the
// new one; atomic_save_test takes each step of the save under each signal one by one.
TEST(SetCellsProcesses, SigtermSigintAndSighupDuringASaveLeaveNoTemporaryFile) {
  TempFolder dir;
  const fs::path book = dir / "mesh.xlsx";
  for (const auto& [signal, rounds] : {std::pair{SIGTERM, 12}, {SIGINT, 6}, {SIGHUP, 6}}) {
    int hits = 0;
    for (int round = 0; round < rounds; ++round) {
      PlaceFixture("mesh_smooth_40x30.lo.xlsx", book);
      const CellValue before = sheet::OpenWorkbook(book.string())->Cell(6, 7);
      int status = 0;
      hits += SignalInsideTheSave(dir.path(), book, signal, status);
      ASSERT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << round;
      ASSERT_EQ(Entries(dir.path()), 1) << strsignal(signal) << " round " << round;
      const CellValue cell = sheet::OpenWorkbook(book.string())->Cell(6, 7);
      ASSERT_TRUE(cell == before || cell == CellValue::Number(12345.5)) << round;
    }
    // Most signals land inside the save; the machine's load decides how many.
    EXPECT_GE(hits, rounds / 2);
    std::cout << strsignal(signal) << " inside " << hits << " of " << rounds << " saves\n";
  }
}

}  // namespace
}  // namespace ombrix::cli
