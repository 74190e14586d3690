#pragma once
// A working list of the contour computation: emptied with room for entries 0..5000, entries
// appended from 1 on, and the room moved to count + 100 whenever an append makes the count a
// whole multiple of 100. Access past the room raises error 9, as for any bounded array. The
// storage is kept between levels, so emptying costs nothing.

#include <cstdint>
#include <string>
#include <vector>

#include "model/bounded_array.h"

namespace ombrix {

template <typename T>
class GrowableList {
 public:
  static constexpr std::int32_t kInitialUpper = 5000;
  static constexpr std::int32_t kGrowth = 100;

  explicit GrowableList(std::string name) : name_(std::move(name)) {}

  void Clear() {
    count_ = 0;
    upper_ = kInitialUpper;
    allocated_ = true;
  }

  // Adds 1 to the count and fills that entry.
  void Append(const T& value) {
    const std::int32_t index = count_ + 1;
    if (static_cast<std::size_t>(index) >= items_.size()) {
      items_.resize(std::max<std::size_t>(items_.size() * 2, static_cast<std::size_t>(index) + 1));
    }
    At(index) = value;
    count_ = index;
    if (count_ % kGrowth == 0) {
      upper_ = count_ + kGrowth;
    }
  }

  // Takes the last entry back out of the count (its storage is reused by the next append).
  void RemoveLast() {
    if (count_ > 0) {
      --count_;
    }
  }

  std::int32_t count() const { return count_; }
  std::int32_t upper() const {
    if (!allocated_) {
      bounds::ThrowUnallocated(name_);
    }
    return upper_;
  }

  T& operator()(std::int64_t i) { return At(i); }
  const T& operator()(std::int64_t i) const { return const_cast<GrowableList*>(this)->At(i); }

 private:
  T& At(std::int64_t i) {
    if (!allocated_) {
      bounds::ThrowUnallocated(name_);
    }
    if (i < 0 || i > upper_) {
      bounds::ThrowOutOfRange(name_, i, 0, upper_);
    }
    if (static_cast<std::size_t>(i) >= items_.size()) {
      items_.resize(static_cast<std::size_t>(i) + 1);
    }
    return items_[static_cast<std::size_t>(i)];
  }

  std::string name_;
  bool allocated_ = false;
  std::int32_t count_ = 0;
  std::int32_t upper_ = kInitialUpper;
  std::vector<T> items_;
};

}  // namespace ombrix
