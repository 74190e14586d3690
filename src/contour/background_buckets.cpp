#include "contour/background_buckets.h"

#include <chrono>

namespace ombrix {
namespace {

// How often the waiting thread asks its stop check; the check itself paces the window.
constexpr auto kWaitStep = std::chrono::milliseconds(5);

}  // namespace

BackgroundBuckets::BackgroundBuckets(const MeshModel& model, const LevelSeries& series,
                                     std::int32_t interval, std::int64_t level_count)
    : thread_([this, &model, series, interval, level_count] {
        try {
          buckets_.emplace(model, series, interval, level_count,
                           [this](std::int64_t done, std::int64_t total) {
                             done_.store(done, std::memory_order_relaxed);
                             total_.store(total, std::memory_order_relaxed);
                             return stop_.load(std::memory_order_relaxed);
                           });
        } catch (...) {
          error_ = std::current_exception();
        }
        finished_.store(true, std::memory_order_release);
      }) {}

BackgroundBuckets::~BackgroundBuckets() {
  stop_.store(true, std::memory_order_relaxed);
  Join();
}

void BackgroundBuckets::Join() {
  if (thread_.joinable()) {
    thread_.join();
  }
}

const LevelBuckets* BackgroundBuckets::Wait(const LevelBuckets::StopCheck& stop) {
  // Asked at least once, so that the phase is shown and can be stopped even when the table
  // was ready before the base was painted.
  for (;;) {
    const bool finished = finished_.load(std::memory_order_acquire);
    if (stop &&
        stop(done_.load(std::memory_order_relaxed), total_.load(std::memory_order_relaxed))) {
      stop_.store(true, std::memory_order_relaxed);
      Join();
      return nullptr;
    }
    if (finished) {
      break;
    }
    std::this_thread::sleep_for(kWaitStep);
  }
  Join();
  if (error_) {
    std::rethrow_exception(error_);
  }
  if (!buckets_ || buckets_->cancelled()) {
    return nullptr;
  }
  return &*buckets_;
}

}  // namespace ombrix
