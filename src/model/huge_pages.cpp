#include "model/huge_pages.h"

#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace ombrix::huge_pages {
namespace {

constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

}  // namespace

void* Allocate(std::size_t bytes) {
  // aligned_alloc wants a whole number of alignments.
  if (bytes > static_cast<std::size_t>(-1) - kHugePageBytes) {
    throw std::bad_alloc();
  }
  const std::size_t rounded = (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
  void* block = std::aligned_alloc(kHugePageBytes, rounded);
  if (block == nullptr) {
    throw std::bad_alloc();
  }
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Only a hint: where it is refused the block simply stays on ordinary pages.
  madvise(block, rounded, MADV_HUGEPAGE);
#endif
  return block;
}

void Free(void* block) noexcept {
  std::free(block);
}

}  // namespace ombrix::huge_pages
