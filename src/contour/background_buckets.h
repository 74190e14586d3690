#pragma once
// The level table built on a second thread while the main thread paints the base of the map.
// Building it only reads the triangle list and its count, which nothing writes until the
// levels are cut, so the table is exactly the one the main thread would have built.

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <thread>

#include "contour/level_buckets.h"
#include "contour/level_series.h"
#include "model/mesh_model.h"

namespace ombrix {

class BackgroundBuckets {
 public:
  // Starts the building at once. `model` must outlive this object and its triangle list must
  // not change before Wait returns.
  BackgroundBuckets(const MeshModel& model, const LevelSeries& series, std::int32_t interval,
                    std::int64_t level_count);
  // Stops the building if it still runs, and waits for the thread.
  ~BackgroundBuckets();
  BackgroundBuckets(const BackgroundBuckets&) = delete;
  BackgroundBuckets& operator=(const BackgroundBuckets&) = delete;

  // Waits for the table. `stop` is asked at once and then every few milliseconds with the
  // progress of the building; true stops it, and then the result is nullptr. An error of the
  // building (out of memory) is raised here.
  const LevelBuckets* Wait(const LevelBuckets::StopCheck& stop);

 private:
  void Join();

  std::atomic<bool> stop_{false};
  std::atomic<bool> finished_{false};
  std::atomic<std::int64_t> done_{0};
  std::atomic<std::int64_t> total_{0};
  std::optional<LevelBuckets> buckets_;
  std::exception_ptr error_;
  // Last, so that everything the thread touches exists before it starts.
  std::thread thread_;
};

}  // namespace ombrix
