#include "cli/optimise_progress.h"

#include <gtest/gtest.h>

#include <thread>

#include "cli_files.h"

namespace ombrix::cli {
namespace {

using namespace std::chrono_literals;

using ombrix::testing::Count;

// Without a terminal nothing is shown: optimise_interrupt_test runs the program with its error
// output in a file and finds there only the line that says it was stopped.
TEST(OptimiseProgress, ReportsAtMostOncePerIntervalAndClearsItsLine) {
  std::ostringstream out;
  {
    OptimiseProgress progress(out, true, 40ms);
    const OptimizeObservers observers = progress.Observers();
    ASSERT_TRUE(observers.on_sweep && observers.on_iteration);
    for (int sweep = 1; sweep <= 1000; ++sweep)
      observers.on_sweep(sweep, 0.5 / sweep);  // far faster than the interval
    EXPECT_EQ(out.str(), "");                  // nothing before the first interval is over
    std::this_thread::sleep_for(50ms);
    observers.on_sweep(1001, 1.234567e-7);
    observers.on_sweep(1002, 1e-7);  // too soon after
    EXPECT_EQ(out.str(),
              "\r\x1b[Kombrix: optimising: sweep 1001, largest change 1.23e-07 (Ctrl+C stops)");
    std::this_thread::sleep_for(50ms);
    observers.on_iteration(12, 3.5e-9);
    EXPECT_EQ(Count(out.str(), "iteration 12, relative residual 3.5e-09"), 1u) << out.str();
  }
  EXPECT_EQ(Count(out.str(), "\r\x1b[K"), 3u);  // two reports and the clearing
  EXPECT_TRUE(out.str().ends_with("(Ctrl+C stops)\r\x1b[K"));
}

}  // namespace
}  // namespace ombrix::cli
