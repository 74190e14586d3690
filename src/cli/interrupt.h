#pragma once
// Ctrl+C during long headless work: while an InterruptEvents lives, SIGINT no longer ends the
// process but asks the work to stop, which it does at its next check; the command then ends
// with status 130 (the shell's own status for an interrupted program) and writes nothing.

#include <stdexcept>

#include "platform/event_pump.h"

namespace ombrix::cli {

inline constexpr int kExitInterrupted = 130;

// Thrown when the work stopped on request; main turns it into status 130.
struct Interrupted : std::runtime_error {
  Interrupted() : std::runtime_error("interrupted") {}
};

class InterruptEvents : public EventPump {
 public:
  InterruptEvents();            // catches SIGINT
  ~InterruptEvents() override;  // gives SIGINT back its earlier handling
  InterruptEvents(const InterruptEvents&) = delete;
  InterruptEvents& operator=(const InterruptEvents&) = delete;

  void ProcessPendingEvents() override {}
  bool CancelRequested() const override;
  void ResetCancel() override;
};

}  // namespace ombrix::cli
