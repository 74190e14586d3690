#include "platform/work_beside.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "fakes/error_capture.h"
#include "fakes/fake_window_ops.h"
#include "model/run_error.h"

namespace ombrix {
namespace {

using testing::FakeEventPump;
using testing::FakeWindowOps;

// Holds the work until `done` (say, so many event rounds), whatever the machine's speed.
template <typename Done>
void WaitUntil(Done done) {
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done() && std::chrono::steady_clock::now() < give_up)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST(RunBeside, ServesTheWindowWithTheSecondsHandsBackResultsStopsOnEscPassesFailures) {
  FakeWindowOps windows;
  FakeEventPump events;
  std::atomic<int> rounds = 0;
  events.on_process = [&] { ++rounds; };
  const BesideOutcome<int> out =
      RunBeside(events, windows, "メッシュを読み込み", "/d/m.xlsx", [&](const std::atomic<bool>&) {
        WaitUntil([&] { return rounds >= 3; });
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        const int later = rounds + 2;
        WaitUntil([&] { return rounds >= later; });
        return 42;
      });
  EXPECT_EQ(out.result, std::optional<int>(42));
  EXPECT_FALSE(out.stop_requested);
  // One status line before the first round, one per round after, counting whole seconds.
  ASSERT_GE(windows.log.size(), 6u);
  EXPECT_EQ(windows.log.front(), "Status メッシュを読み込み中（0 秒、Esc で中止）: /d/m.xlsx");
  EXPECT_NE(
      std::ranges::find(windows.log, "Status メッシュを読み込み中（1 秒、Esc で中止）: /d/m.xlsx"),
      windows.log.end());

  // Esc raises the stop flag; a stopped work has no result.
  events.cancel = true;  // left over from an earlier command: must not stop this one
  rounds = 0;
  std::atomic<bool> press_esc{false};
  events.on_process = [&] {
    ++rounds;
    if (press_esc.load()) {
      events.cancel = true;
    }
  };
  const BesideOutcome<int> stopped =
      RunBeside(events, windows, "w", "p", [&](const std::atomic<bool>& stop) -> int {
        WaitUntil([&] { return rounds >= 1; });
        EXPECT_FALSE(stop.load());  // the stale cancel was forgotten
        press_esc = true;
        WaitUntil([&] { return stop.load(); });
        EXPECT_TRUE(stop.load());
        throw WorkStopped{};
      });
  EXPECT_TRUE(stopped.stop_requested);
  EXPECT_FALSE(stopped.result.has_value());

  // Work that ignores the flag still hands back its result, marked as asked to stop.
  rounds = 0;
  events.on_process = [&] {
    ++rounds;
    events.cancel = true;
  };
  const BesideOutcome<int> finished =
      RunBeside(events, windows, "w", "p", [&](const std::atomic<bool>&) {
        WaitUntil([&] { return rounds >= 2; });
        return 7;
      });
  EXPECT_TRUE(finished.stop_requested);
  EXPECT_EQ(finished.result, std::optional<int>(7));

  // A failure of the work reaches the caller.
  EXPECT_EQ(ErrorNumberOf([&] {
              RunBeside(events, windows, "w", "p", [](const std::atomic<bool>&) -> int {
                throw RunError(err::kPathFileAccess, "ファイル \"p\" を開けません");
              });
            }),
            err::kPathFileAccess);
}

}  // namespace
}  // namespace ombrix
