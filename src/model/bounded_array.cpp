#include "model/bounded_array.h"

#include <limits>

#include "model/run_error.h"
#include "model/system_memory.h"

namespace ombrix::bounds {
namespace {

std::string Range(std::int64_t lower, std::int64_t upper) {
  return std::to_string(lower) + ".." + std::to_string(upper);
}

}  // namespace

void ThrowUnallocated(const std::string& name) {
  throw RunError(err::kSubscriptOutOfRange, "インデックスが有効範囲にありません: 配列 " + name +
                                                " はまだ割り当てられていません。");
}

void ThrowOutOfRange(const std::string& name, std::int64_t index, std::int32_t lower,
                     std::int32_t upper) {
  throw RunError(err::kSubscriptOutOfRange, "インデックスが有効範囲にありません: " + name + "(" +
                                                std::to_string(index) + ") は範囲 " +
                                                Range(lower, upper) + " の外です。");
}

void ThrowOutOfRange2(const std::string& name, std::int64_t row, std::int64_t col,
                      std::int32_t row_lower, std::int32_t row_upper, std::int32_t col_lower,
                      std::int32_t col_upper) {
  throw RunError(err::kSubscriptOutOfRange, "インデックスが有効範囲にありません: " + name + "(" +
                                                std::to_string(row) + ", " + std::to_string(col) +
                                                ") は範囲 (" + Range(row_lower, row_upper) + ", " +
                                                Range(col_lower, col_upper) + ") の外です。");
}

std::size_t ExtentOf(const std::string& name, std::int64_t lower, std::int64_t upper) {
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  if (lower < kMin || lower > kMax || upper < kMin || upper > kMax) {
    throw RunError(err::kOverflow, "オーバーフローしました: 配列 " + name + " の範囲 " +
                                       Range(lower, upper) + " は 32 ビット整数に収まりません。");
  }
  if (upper < lower) {
    throw RunError(err::kSubscriptOutOfRange, "インデックスが有効範囲にありません: 配列 " + name +
                                                  " の範囲 " + Range(lower, upper) + " は空です。");
  }
  return static_cast<std::size_t>(upper - lower + 1);
}

void CheckAllocation(const std::string& name, std::size_t count, std::size_t element_size) {
  const std::size_t limit = PhysicalMemoryBytes();
  const bool too_many =
      element_size != 0 && count > std::numeric_limits<std::size_t>::max() / element_size;
  if (too_many || (limit != 0 && count * element_size > limit)) {
    ThrowOutOfMemory(name,
                     too_many ? std::numeric_limits<std::size_t>::max() : count * element_size);
  }
}

void ThrowOutOfMemory(const std::string& name, std::size_t bytes) {
  throw RunError(err::kOutOfMemory, "メモリが足りません: 配列 " + name + " に " +
                                        std::to_string(bytes / (1024 * 1024)) +
                                        " MiB を割り当てられません。");
}

}  // namespace ombrix::bounds
