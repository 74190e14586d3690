#pragma once
// The 13 couplings of a node in the fitted system (membrane and curvature terms reach two nodes
// along a row or column and one diagonally), as (row, column) offsets in increasing node-number
// order: with row-major numbering that is the order every row's sum is added in.

#include <array>
#include <cstdint>
#include <utility>

namespace ombrix {

inline constexpr std::array<std::pair<std::int32_t, std::int32_t>, 13> kStencilOffsets = {{
    {-2, 0},
    {-1, -1},
    {-1, 0},
    {-1, 1},
    {0, -2},
    {0, -1},
    {0, 0},
    {0, 1},
    {0, 2},
    {1, -1},
    {1, 0},
    {1, 1},
    {2, 0},
}};

}  // namespace ombrix
