#include "blank/blank_colour.h"

#include <gtest/gtest.h>

#include "fakes/error_capture.h"

#include <cmath>
#include <limits>

#include "model/run_error.h"

namespace ombrix {
namespace {

using Shades = std::array<std::int32_t, 4>;

// One cell (1, 1) with corners z00 (1,1), z01 (1,2), z10 (2,1), z11 (2,2); a NaN marks a
// blank corner (stored as 0 with its blank flag, as the import leaves it).
MeshModel Cell(double z00, double z01, double z10, double z11, double min = 0, double max = 155) {
  MeshModel m;
  AllocateMesh(m, 2, 2);
  const double z[2][2] = {{z00, z01}, {z10, z11}};
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 2; ++c) {
      const bool blank = std::isnan(z[r][c]);
      m.NodeBlank(r + 1, c + 1) = blank ? 1 : 0;
      m.NodeValue(r + 1, c + 1) = blank ? 0 : z[r][c];
    }
  m.DataMin = min;
  m.DataMax = max;
  return m;
}

constexpr double kBlank = std::numeric_limits<double>::quiet_NaN();

TEST(BlankdataColor, EachQuarterTakesItsShadeFromTheValuedCorners) {
  const std::pair<MeshModel, Shades> cases[] = {
      // z11 = 16, the rest 0, over 0..155: 155/155 per unit, so the shade is 100 + the weight.
      {Cell(0, 0, 0, 16), {101, 103, 103, 109}},
      // One blank corner: the others weigh 11 to 5 to 2.
      {Cell(18, 0, 0, kBlank), {111, 105, 105, -1}},
      {Cell(kBlank, 18, 0, 0), {-1, 102, 111, 102}},
      {Cell(18, 0, kBlank, 0), {111, -1, 105, 102}},
      {Cell(18, kBlank, 0, 0), {111, 102, -1, 102}},
      // Two blank corners on a side share the mean; on a diagonal, or three, paint nothing.
      {Cell(10, 20, kBlank, kBlank), {115, -1, 115, -1}},
      {Cell(kBlank, 10, kBlank, 20), {-1, -1, 115, 115}},
      {Cell(kBlank, 10, 20, kBlank), {-1, -1, -1, -1}},
      {Cell(10, kBlank, kBlank, kBlank), {-1, -1, -1, -1}},
      // Over 0..310 one unit is half a shade; halves go to the even shade: 100.5, 101.5.
      {Cell(1, 1, 1, 1, 0, 310), {100, 100, 100, 100}},
      {Cell(3, 3, 3, 3, 0, 310), {102, 102, 102, 102}},
      // A flat range fails only when a quarter has a value.
      {Cell(5, kBlank, kBlank, 5, 5, 5), {-1, -1, -1, -1}}};
  for (const auto& [cell, shades] : cases)
    EXPECT_EQ(BlankdataColor(cell, 1, 1), shades) << ::testing::PrintToString(shades);
  EXPECT_EQ(ErrorNumberOf([] { BlankdataColor(Cell(5, 5, 5, 5, 5, 5), 1, 1); }),
            err::kOverflow);  // 0 / 0
}

}  // namespace
}  // namespace ombrix
