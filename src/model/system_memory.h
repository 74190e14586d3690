#pragma once
// How much memory the machine has, and how much it can still hand out: the limits that large
// lists are checked against before they are allocated.

#include <cstdint>

namespace ombrix {

// Physical memory; an allocation larger than this would only thrash or be killed. 0 when the
// platform cannot tell.
std::uint64_t PhysicalMemoryBytes();

// What the system could hand out now without swapping, page cache included; 0 when it cannot
// tell.
std::uint64_t AvailableMemoryBytes();

}  // namespace ombrix
