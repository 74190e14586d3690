#pragma once
// A raster picture held in memory (a background map, a sprite): plain pixels, no toolkit.

#include <cstdint>
#include <vector>

namespace ombrix {

struct Picture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint32_t> pixels;  // 0xffRRGGBB, row by row from the top

  bool empty() const { return width <= 0 || height <= 0; }
};

}  // namespace ombrix
