#pragma once
// Refining the triangle list: every triangle is cut into four by the midpoints of its sides,
// pass after pass. The mesh itself is left alone; only the list changes.

#include <cstdint>
#include <string>

#include "model/mesh_model.h"
#include "model/system_memory.h"

namespace ombrix {

// The most triangles a divided list may hold.
inline constexpr double kMaxDividedTriangles = 50'000'000;

// How many triangles `divisions` (d) makes of `triangles` (T): 4^(d-1) * T, in floating point.
double DividedTriangleCount(std::int32_t triangles, double divisions);

// What a drawing of a divided list holds for each part. The list itself keeps nothing per part
// (a part is worked out from the triangle it came from when read); the drawing's level table
// keeps a 4-byte triangle number for each level a part meets, and a part small enough to be
// worth dividing for meets one level at most.
inline constexpr std::uint64_t kDrawingBytesPerPart = sizeof(std::int32_t);

// The memory a drawing of `parts` divided triangles is expected to take beyond the undivided
// list: kDrawingBytesPerPart for each entry of the list.
std::uint64_t DividedDrawingBytes(std::uint64_t parts);

// Why `triangles` triangles cannot be divided `divisions` times: the list would pass
// kMaxDividedTriangles, or its drawing would need more than `available_bytes` (DividedDrawingBytes;
// 0: unknown, not checked).
// The text says how many triangles the division would make. Empty when the division can go on.
std::string DivisionRefusal(std::int32_t triangles, double divisions,
                            std::uint64_t available_bytes);

// Divides the list `divisions` - 1 times (1 keeps the triangles as they are). The list's upper
// bound becomes 4^(d-1) * T + 2; the sub-triangles of former triangle k fill one block of
// 4^(d-1) entries. Each triangle P1 P2 P3 becomes (P1, M12, M13), (P2, M12, M23),
// (P3, M13, M23), (M12, M23, M13): a midpoint takes the means (a + b) / 2 of the side's
// coordinates and values, and the integer mean of its flags truncated toward zero; every other
// field of the new records is 0. Error 6 for `divisions` < 1 or a bound beyond 32 bits; the list
// is unchanged on error. The parts take no memory of their own: they are worked out as read.
void DivideTriangles(MeshModel& model, std::int32_t divisions);

}  // namespace ombrix
