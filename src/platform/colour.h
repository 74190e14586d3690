#pragma once

#include <cstdint>

namespace ombrix {

// An RGB colour, components 0..255.
struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  bool operator==(const Rgb&) const = default;
};

// RGB(red, green, blue); each component is taken modulo 256 as a byte.
constexpr Rgb RGB(int red, int green, int blue) {
  return Rgb{static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
             static_cast<std::uint8_t>(blue)};
}

}  // namespace ombrix
