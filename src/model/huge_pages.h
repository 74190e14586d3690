#pragma once
// Storage for the model's arrays. Blocks of many megabytes are aligned to huge pages and marked
// for them where the system offers them, so that first touching a list of millions of
// triangles costs one page fault per 2 MiB instead of one per 4 KiB. Smaller blocks come from
// the ordinary heap.

#include <cstddef>
#include <memory>

namespace ombrix {

namespace huge_pages {
// Blocks from this size on are placed on huge pages.
inline constexpr std::size_t kThresholdBytes = std::size_t{32} << 20;
// A block of `bytes` (at least kThresholdBytes) on huge-page boundaries; std::bad_alloc when
// the system has no such block.
void* Allocate(std::size_t bytes);
void Free(void* block) noexcept;
}  // namespace huge_pages

template <typename T>
struct HugePageAllocator {
  using value_type = T;

  HugePageAllocator() = default;
  template <typename U>
  HugePageAllocator(const HugePageAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    if (n >= huge_pages::kThresholdBytes / sizeof(T)) {
      if (n > static_cast<std::size_t>(-1) / sizeof(T)) {
        throw std::bad_array_new_length();
      }
      return static_cast<T*>(huge_pages::Allocate(n * sizeof(T)));
    }
    return std::allocator<T>().allocate(n);
  }
  void deallocate(T* p, std::size_t n) noexcept {
    if (n >= huge_pages::kThresholdBytes / sizeof(T)) {
      huge_pages::Free(p);
      return;
    }
    std::allocator<T>().deallocate(p, n);
  }

  template <typename U>
  bool operator==(const HugePageAllocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace ombrix
