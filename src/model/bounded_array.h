#pragma once
// Arrays that carry their own lower and upper bounds. Every access is checked: an index
// outside the bounds, or any use before the array is allocated, raises error 9 instead of
// touching memory that is not there.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "model/huge_pages.h"

namespace ombrix {

namespace bounds {
[[noreturn]] void ThrowUnallocated(const std::string& name);
[[noreturn]] void ThrowOutOfRange(const std::string& name, std::int64_t index, std::int32_t lower,
                                  std::int32_t upper);
[[noreturn]] void ThrowOutOfRange2(const std::string& name, std::int64_t row, std::int64_t col,
                                   std::int32_t row_lower, std::int32_t row_upper,
                                   std::int32_t col_lower, std::int32_t col_upper);
// Number of elements in lower..upper; error 9 when upper < lower.
std::size_t ExtentOf(const std::string& name, std::int64_t lower, std::int64_t upper);
// Error 7, before allocating, when `count` elements of `element_size` bytes cannot fit.
void CheckAllocation(const std::string& name, std::size_t count, std::size_t element_size);
[[noreturn]] void ThrowOutOfMemory(const std::string& name, std::size_t bytes);
}  // namespace bounds

template <typename T>
class BoundedArray {
 public:
  explicit BoundedArray(std::string name = "array") : name_(std::move(name)) {}

  // Allocates lower..upper anew; every element starts as T{}.
  void Allocate(std::int64_t lower, std::int64_t upper) {
    const std::size_t count = bounds::ExtentOf(name_, lower, upper);
    if (allocated_ && data_.size() == count) {
      // Same size: clear the storage in place (memory already touched is cheap to rewrite).
      std::fill(data_.begin(), data_.end(), T{});
      lower_ = static_cast<std::int32_t>(lower);
      upper_ = static_cast<std::int32_t>(upper);
      return;
    }
    bounds::CheckAllocation(name_, count, sizeof(T));
    std::vector<T, HugePageAllocator<T>> fresh;
    try {
      fresh.assign(count, T{});
    } catch (const std::bad_alloc&) {
      bounds::ThrowOutOfMemory(name_, count * sizeof(T));
    }
    data_ = std::move(fresh);
    lower_ = static_cast<std::int32_t>(lower);
    upper_ = static_cast<std::int32_t>(upper);
    allocated_ = true;
  }

  // Moves the upper bound and keeps the elements that stay in range; new ones are T{}.
  void ResizePreserve(std::int64_t upper) {
    if (!allocated_) {
      bounds::ThrowUnallocated(name_);
    }
    const std::size_t count = bounds::ExtentOf(name_, lower_, upper);
    bounds::CheckAllocation(name_, count, sizeof(T));
    try {
      data_.resize(count);
    } catch (const std::bad_alloc&) {
      bounds::ThrowOutOfMemory(name_, count * sizeof(T));
    }
    upper_ = static_cast<std::int32_t>(upper);
  }

  void Release() {
    data_ = {};
    allocated_ = false;
    lower_ = 0;
    upper_ = -1;
  }

  bool allocated() const { return allocated_; }
  const std::string& name() const { return name_; }
  std::int32_t lower() const {
    Require();
    return lower_;
  }
  std::int32_t upper() const {
    Require();
    return upper_;
  }

  T& operator()(std::int64_t i) { return data_[Offset(i)]; }
  const T& operator()(std::int64_t i) const { return data_[Offset(i)]; }

 private:
  void Require() const {
    if (!allocated_) {
      bounds::ThrowUnallocated(name_);
    }
  }
  std::size_t Offset(std::int64_t i) const {
    Require();
    if (i < lower_ || i > upper_) {
      bounds::ThrowOutOfRange(name_, i, lower_, upper_);
    }
    return static_cast<std::size_t>(i - lower_);
  }

  std::string name_;
  bool allocated_ = false;
  std::int32_t lower_ = 0;
  std::int32_t upper_ = -1;
  std::vector<T, HugePageAllocator<T>> data_;
};

// Two-dimensional array indexed (row, column), each with its own bounds.
template <typename T>
class BoundedArray2 {
 public:
  explicit BoundedArray2(std::string name = "array") : name_(std::move(name)) {}

  void Allocate(std::int64_t row_lower, std::int64_t row_upper, std::int64_t col_lower,
                std::int64_t col_upper) {
    const std::size_t rows = bounds::ExtentOf(name_, row_lower, row_upper);
    const std::size_t cols = bounds::ExtentOf(name_, col_lower, col_upper);
    if (cols != 0 && rows > SIZE_MAX / cols) {
      bounds::ThrowOutOfMemory(name_, SIZE_MAX);
    }
    const std::size_t count = rows * cols;
    bounds::CheckAllocation(name_, count, sizeof(T));
    std::vector<T, HugePageAllocator<T>> fresh;
    try {
      fresh.assign(count, T{});
    } catch (const std::bad_alloc&) {
      bounds::ThrowOutOfMemory(name_, count * sizeof(T));
    }
    data_ = std::move(fresh);
    row_lower_ = static_cast<std::int32_t>(row_lower);
    row_upper_ = static_cast<std::int32_t>(row_upper);
    col_lower_ = static_cast<std::int32_t>(col_lower);
    col_upper_ = static_cast<std::int32_t>(col_upper);
    cols_ = cols;
    allocated_ = true;
  }

  void Release() {
    data_ = {};
    allocated_ = false;
    row_lower_ = col_lower_ = 0;
    row_upper_ = col_upper_ = -1;
    cols_ = 0;
  }

  bool allocated() const { return allocated_; }
  const std::string& name() const { return name_; }
  std::int32_t row_lower() const { return (Require(), row_lower_); }
  std::int32_t row_upper() const { return (Require(), row_upper_); }
  std::int32_t col_lower() const { return (Require(), col_lower_); }
  std::int32_t col_upper() const { return (Require(), col_upper_); }

  T& operator()(std::int64_t row, std::int64_t col) { return data_[Offset(row, col)]; }
  const T& operator()(std::int64_t row, std::int64_t col) const { return data_[Offset(row, col)]; }

 private:
  void Require() const {
    if (!allocated_) {
      bounds::ThrowUnallocated(name_);
    }
  }
  std::size_t Offset(std::int64_t row, std::int64_t col) const {
    Require();
    if (row < row_lower_ || row > row_upper_ || col < col_lower_ || col > col_upper_) {
      bounds::ThrowOutOfRange2(name_, row, col, row_lower_, row_upper_, col_lower_, col_upper_);
    }
    return static_cast<std::size_t>(row - row_lower_) * cols_ +
           static_cast<std::size_t>(col - col_lower_);
  }

  std::string name_;
  bool allocated_ = false;
  std::int32_t row_lower_ = 0;
  std::int32_t row_upper_ = -1;
  std::int32_t col_lower_ = 0;
  std::int32_t col_upper_ = -1;
  std::size_t cols_ = 0;
  std::vector<T, HugePageAllocator<T>> data_;
};

}  // namespace ombrix
