#include "cli/optimise_progress.h"

#include <unistd.h>

#include <cstdio>

namespace ombrix::cli {

namespace {

// Three significant digits are plenty for watching a change shrink.
std::string Short(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", value);
  return text;
}

}  // namespace

OptimiseProgress::OptimiseProgress(std::ostream& out, bool shown,
                                   std::chrono::milliseconds interval)
    : out_(out),
      shown_(shown),
      interval_(interval),
      next_(std::chrono::steady_clock::now() + interval) {}

OptimiseProgress::~OptimiseProgress() {
  if (written_) {
    out_ << "\r\x1b[K" << std::flush;
  }
}

OptimizeObservers OptimiseProgress::Observers() {
  OptimizeObservers observers;
  if (!shown_) {
    return observers;
  }
  observers.on_sweep = [this](std::int32_t sweep, double change) {
    // Reading the clock costs far less than a sweep.
    if (std::chrono::steady_clock::now() >= next_) {
      Report("sweep " + std::to_string(sweep) + ", largest change " + Short(change));
    }
  };
  observers.on_iteration = [this](std::int32_t iteration, double residual) {
    if (std::chrono::steady_clock::now() >= next_) {
      Report("iteration " + std::to_string(iteration) + ", relative residual " + Short(residual));
    }
  };
  return observers;
}

void OptimiseProgress::Report(const std::string& line) {
  out_ << "\r\x1b[Kombrix: optimising: " << line << " (Ctrl+C stops)" << std::flush;
  written_ = true;
  next_ = std::chrono::steady_clock::now() + interval_;
}

bool StderrIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

}  // namespace ombrix::cli
