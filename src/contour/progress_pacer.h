#pragma once
// Keeps the window alive through a long loop: at most every 30 ms it shows the loop's progress
// in the status line, lets pending events run and tells whether Esc was pressed. Between
// those moments a tick costs one clock read.

#include <chrono>
#include <string>

#include "platform/event_pump.h"
#include "platform/window_ops.h"

namespace ombrix {

class ProgressPacer {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr auto kInterval = std::chrono::milliseconds(30);

  ProgressPacer(EventPump& events, WindowOps& windows) : events_(&events), windows_(&windows) {}

  // The next tick reports at once: each phase shows its own line as soon as it starts.
  void Restart() { next_ = Clock::now(); }

  // Whether the user asked to stop. text() builds the status line only when it is shown.
  template <typename Text>
  bool Tick(Text&& text) {
    if (Clock::now() < next_) {
      return false;
    }
    windows_->ShowStatus(std::string(text()));
    events_->ProcessPendingEvents();
    next_ = Clock::now() + kInterval;
    return events_->CancelRequested();
  }

 private:
  EventPump* events_;
  WindowOps* windows_;
  Clock::time_point next_ = Clock::now();
};

}  // namespace ombrix
