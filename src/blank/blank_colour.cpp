#include "blank/blank_colour.h"

#include <optional>

#include "model/numeric.h"

namespace ombrix {
namespace {

using Shade = std::optional<double>;

std::int32_t ShadeIndex(const MeshModel& m, const Shade& v) {
  if (!v) {
    return kUnpainted;
  }
  return ToLong(CheckedDivide((*v - m.DataMin) * 155, m.DataMax - m.DataMin, "緑の濃さ") + 100);
}

}  // namespace

std::array<std::int32_t, 4> BlankdataColor(const MeshModel& m, std::int32_t i, std::int32_t j) {
  const std::int32_t b00 = m.NodeBlank(i, j);
  const std::int32_t b01 = m.NodeBlank(i, j + 1);
  const std::int32_t b10 = m.NodeBlank(i + 1, j);
  const std::int32_t b11 = m.NodeBlank(i + 1, j + 1);
  const std::int32_t n = b00 + b01 + b10 + b11;
  // Blank nodes are never read into a shade.
  const auto z = [&](std::int32_t r, std::int32_t c) { return m.NodeValue(r, c); };
  Shade s1, s2, s3, s4;  // z00, z10, z01, z11
  if (n == 0) {
    const double z00 = z(i, j), z01 = z(i, j + 1), z10 = z(i + 1, j), z11 = z(i + 1, j + 1);
    s1 = (9 * z00 + 3 * z01 + 3 * z10 + z11) / 16;
    s2 = (3 * z00 + z01 + 9 * z10 + 3 * z11) / 16;
    s3 = (3 * z00 + 9 * z01 + z10 + 3 * z11) / 16;
    s4 = (z00 + 3 * z01 + 3 * z10 + 9 * z11) / 16;
  } else if (n == 1) {
    if (b11 == 1) {
      const double z00 = z(i, j), z01 = z(i, j + 1), z10 = z(i + 1, j);
      s1 = (11 * z00 + 2 * z01 + 5 * z10) / 18;
      s2 = (5 * z00 + 2 * z01 + 11 * z10) / 18;
      s3 = (5 * z00 + 11 * z01 + 2 * z10) / 18;
    } else if (b10 == 1) {
      const double z00 = z(i, j), z01 = z(i, j + 1), z11 = z(i + 1, j + 1);
      s1 = (11 * z00 + 5 * z01 + 2 * z11) / 18;
      s3 = (5 * z00 + 11 * z01 + 2 * z11) / 18;
      s4 = (2 * z00 + 5 * z01 + 11 * z11) / 18;
    } else if (b01 == 1) {
      const double z00 = z(i, j), z10 = z(i + 1, j), z11 = z(i + 1, j + 1);
      s1 = (11 * z00 + 5 * z10 + 2 * z11) / 18;
      s2 = (2 * z00 + 11 * z10 + 5 * z11) / 18;
      s4 = (2 * z00 + 5 * z10 + 11 * z11) / 18;
    } else if (b00 == 1) {
      const double z01 = z(i, j + 1), z10 = z(i + 1, j), z11 = z(i + 1, j + 1);
      s2 = (2 * z01 + 11 * z10 + 5 * z11) / 18;
      s3 = (11 * z01 + 2 * z10 + 5 * z11) / 18;
      s4 = (2 * z01 + 5 * z10 + 11 * z11) / 18;
    }
  } else if (n == 2) {
    if (b10 == 1 && b11 == 1) {
      s1 = s3 = (z(i, j) + z(i, j + 1)) / 2;
    } else if (b01 == 1 && b11 == 1) {
      s1 = s2 = (z(i, j) + z(i + 1, j)) / 2;
    } else if (b00 == 1 && b10 == 1) {
      s3 = s4 = (z(i, j + 1) + z(i + 1, j + 1)) / 2;
    } else if (b00 == 1 && b01 == 1) {
      s2 = s4 = (z(i + 1, j) + z(i + 1, j + 1)) / 2;
    }
    // Diagonal blanks leave the whole cell unpainted.
  }
  return {ShadeIndex(m, s1), ShadeIndex(m, s2), ShadeIndex(m, s3), ShadeIndex(m, s4)};
}

}  // namespace ombrix
