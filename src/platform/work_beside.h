#pragma once
// Runs one long piece of file work (reading or writing a workbook) on a second thread while
// this thread keeps the window painted: every 30 ms the status line shows how long it has run
// and pending events are processed, so Esc is seen. The work itself touches no window; it gets
// the stop flag and may honour it at a point where stopping leaves everything as it was, by
// throwing WorkStopped.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <future>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "platform/event_pump.h"
#include "platform/window_ops.h"
#include "platform/work_stopped.h"

namespace ombrix {

template <typename Result>
struct BesideOutcome {
  // Empty when the work stopped on the request (it threw WorkStopped).
  std::optional<Result> result;
  // Whether Esc was pressed while the work ran; work that ignores the flag still finishes, and
  // the caller decides whether to use what it returned.
  bool stop_requested = false;
};

// The status line while the work runs: "メッシュを読み込み中（3 秒、Esc で中止）: PATH".
inline std::string BesideStatus(const std::string& what, const std::string& path,
                                std::int64_t seconds) {
  return what + "中（" + std::to_string(seconds) + " 秒、Esc で中止）: " + path;
}

// `work(const std::atomic<bool>& stop)` returns a value; its exceptions (other than
// WorkStopped) reach the caller unchanged, after the thread has ended.
template <typename Work>
auto RunBeside(EventPump& events, WindowOps& windows, const std::string& what,
               const std::string& path, Work&& work)
    -> BesideOutcome<std::invoke_result_t<Work&, const std::atomic<bool>&>> {
  using Result = std::invoke_result_t<Work&, const std::atomic<bool>&>;
  using Clock = std::chrono::steady_clock;
  constexpr auto kInterval = std::chrono::milliseconds(30);

  std::atomic<bool> stop{false};
  events.ResetCancel();
  const Clock::time_point start = Clock::now();
  windows.ShowStatus(BesideStatus(what, path, 0));
  std::future<Result> done =
      std::async(std::launch::async, [&work, &stop]() -> Result { return work(stop); });
  BesideOutcome<Result> outcome;
  while (done.wait_for(kInterval) != std::future_status::ready) {
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start).count();
    windows.ShowStatus(BesideStatus(what, path, seconds));
    events.ProcessPendingEvents();
    if (events.CancelRequested() && !outcome.stop_requested) {
      outcome.stop_requested = true;
      stop.store(true);
    }
  }
  try {
    outcome.result.emplace(done.get());
  } catch (const WorkStopped&) {
    outcome.stop_requested = true;
  }
  return outcome;
}

}  // namespace ombrix
