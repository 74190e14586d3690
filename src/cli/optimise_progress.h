#pragma once
// The fit's progress on standard error while it runs at a terminal: one line, rewritten in
// place at most a few times a second, with the sweep count and the largest relative change
// (the exact solver: its iteration count and relative residual), cleared when the fit ends.
// Not a terminal (a pipe, a file, a test): nothing is written.

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

#include "optimise/optimizing_calc.h"

namespace ombrix::cli {

class OptimiseProgress {
 public:
  // `out` receives the lines when `shown`; `interval` is the least time between two of them.
  OptimiseProgress(std::ostream& out, bool shown,
                   std::chrono::milliseconds interval = std::chrono::milliseconds(250));
  ~OptimiseProgress();  // clears the line
  OptimiseProgress(const OptimiseProgress&) = delete;
  OptimiseProgress& operator=(const OptimiseProgress&) = delete;

  // Observers that report to this object; it must outlive the fit.
  OptimizeObservers Observers();

 private:
  void Report(const std::string& line);

  std::ostream& out_;
  bool shown_;
  std::chrono::milliseconds interval_;
  std::chrono::steady_clock::time_point next_;
  bool written_ = false;
};

// Whether standard error is a terminal.
bool StderrIsTerminal();

}  // namespace ombrix::cli
