#include "cli/interrupt.h"

#include <signal.h>

#include <atomic>

namespace ombrix::cli {
namespace {

std::atomic<bool> requested{false};
struct sigaction previous {};

void Request(int) {
  requested.store(true);
}

}  // namespace

InterruptEvents::InterruptEvents() {
  requested.store(false);
  struct sigaction action {};
  action.sa_handler = Request;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &action, &previous);
}

InterruptEvents::~InterruptEvents() {
  ::sigaction(SIGINT, &previous, nullptr);
}

bool InterruptEvents::CancelRequested() const {
  return requested.load();
}

void InterruptEvents::ResetCancel() {
  // A Ctrl+C before the work started still counts: the user wants out either way.
}

}  // namespace ombrix::cli
