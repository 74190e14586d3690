#include "model/system_memory.h"

#include <fstream>
#include <string>

#if defined(__unix__)
#include <unistd.h>
#endif

namespace ombrix {
namespace {

std::uint64_t Pages(int which) {
#if defined(__unix__)
  const long pages = sysconf(which);
  const long page_size = sysconf(_SC_PAGE_SIZE);
  if (pages > 0 && page_size > 0) {
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page_size);
  }
#else
  (void)which;
#endif
  return 0;
}

}  // namespace

std::uint64_t PhysicalMemoryBytes() {
#if defined(__unix__)
  return Pages(_SC_PHYS_PAGES);
#else
  return 0;
#endif
}

std::uint64_t AvailableMemoryBytes() {
#if defined(__linux__)
  std::ifstream meminfo("/proc/meminfo");
  std::string key;
  std::uint64_t kib = 0;
  std::string unit;
  while (meminfo >> key >> kib >> unit) {
    if (key == "MemAvailable:") {
      return kib * 1024;
    }
  }
#endif
#if defined(__unix__) && defined(_SC_AVPHYS_PAGES)
  return Pages(_SC_AVPHYS_PAGES);
#else
  return 0;
#endif
}

}  // namespace ombrix
