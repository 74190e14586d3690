#include "cli/interrupt.h"

#include <gtest/gtest.h>
#include <signal.h>

namespace ombrix::cli {
namespace {

bool IsDefault(int signal) {
  struct sigaction now {};
  ::sigaction(signal, nullptr, &now);
  return now.sa_handler == SIG_DFL;
}

TEST(InterruptEvents, CtrlCBecomesACancelRequestWhileItLives) {
  ASSERT_TRUE(IsDefault(SIGINT));
  {
    InterruptEvents events;
    EXPECT_FALSE(events.CancelRequested());
    ::raise(SIGINT);  // the process goes on
    EXPECT_TRUE(events.CancelRequested());
    events.ResetCancel();  // a Ctrl+C already given still counts
    EXPECT_TRUE(events.CancelRequested());
  }
  EXPECT_TRUE(IsDefault(SIGINT));
  InterruptEvents again;  // a new one starts without a request
  EXPECT_FALSE(again.CancelRequested());
}
}  // namespace
}  // namespace ombrix::cli
