#include "import/mesh_value_checks.h"

#include <cmath>

#include "model/numeric.h"
#include "model/run_error.h"

namespace ombrix {
namespace {

// Where the layout keeps the coordinates and the nodes.
constexpr std::int32_t kXRow = 4;
constexpr std::int32_t kYCol = 5;
constexpr std::int32_t kRowOffset = 5;
constexpr std::int32_t kColOffset = 6;

std::string XCell(std::int32_t j) {
  return CellName(kXRow, j + kColOffset);
}
std::string YCell(std::int32_t i) {
  return CellName(i + kRowOffset, kYCol);
}

void RequireFinite(double v, const std::string& cell, const char* what) {
  if (!std::isfinite(v)) {
    throw RunError(err::kTypeMismatch, "セル " + cell + " の" + what + " " + RealText(v) +
                                           " は有限の数ではありません。");
  }
}

}  // namespace

void CheckMeshAxes(const MeshData& d) {
  const std::int32_t nx = d.NodeCountX;
  const std::int32_t ny = d.NodeCountY;
  const std::pair<double, const char*> params[] = {{d.MembraneWeight, "B13"},
                                                   {d.CurvatureWeight, "B14"},
                                                   {d.DataWeight, "B15"},
                                                   {d.RelaxationFactor, "B19"},
                                                   {d.ConvergenceLimit, "B20"}};
  for (const auto& [v, cell] : params) {
    RequireFinite(v, cell, "パラメーター");
  }
  for (std::int32_t j = 1; j <= nx; ++j) {
    RequireFinite(d.NodeX(j), XCell(j), " x 座標");
    if (j > 1 && !(d.NodeX(j) > d.NodeX(j - 1))) {
      throw RunError(err::kOverflow, "x 座標は左から右へ増えていなければなりません: セル " +
                                         XCell(j) + " の " + RealText(d.NodeX(j)) +
                                         " が左隣のセル " + XCell(j - 1) + " の " +
                                         RealText(d.NodeX(j - 1)) + " より大きくありません。");
    }
  }
  for (std::int32_t i = 1; i <= ny; ++i) {
    RequireFinite(d.NodeY(i), YCell(i), " y 座標");
    if (i > 1 && !(d.NodeY(i) < d.NodeY(i - 1))) {
      throw RunError(err::kOverflow, "y 座標は上から下へ減っていなければなりません: セル " +
                                         YCell(i) + " の " + RealText(d.NodeY(i)) + " が上のセル " +
                                         YCell(i - 1) + " の " + RealText(d.NodeY(i - 1)) +
                                         " より小さくありません。");
    }
  }
  if (nx > 1 && !std::isfinite(d.NodeX(nx) - d.NodeX(1))) {
    throw RunError(err::kOverflow, "x 座標の幅 (セル " + XCell(1) + " から " + XCell(nx) +
                                       ") が大きすぎて計算できません。");
  }
  if (ny > 1 && !std::isfinite(d.NodeY(1) - d.NodeY(ny))) {
    throw RunError(err::kOverflow, "y 座標の幅 (セル " + YCell(1) + " から " + YCell(ny) +
                                       ") が大きすぎて計算できません。");
  }
}

void CheckNodeValues(const MeshData& d) {
  const std::int32_t nx = d.NodeCountX;
  const std::int32_t ny = d.NodeCountY;
  // The value range: the contour levels are computed from its width.
  double low = 0;
  double high = 0;
  std::int64_t low_at = -1;
  std::int64_t high_at = -1;
  for (std::int32_t i = 1; i <= ny; ++i) {
    for (std::int32_t j = 1; j <= nx; ++j) {
      if (d.NodeBlank(i, j) != 0) {
        continue;
      }
      const double v = d.NodeValue(i, j);
      if (!std::isfinite(v)) {
        RequireFinite(v, CellName(i + kRowOffset, j + kColOffset), "節点の値");
      }
      const std::int64_t at = std::int64_t{i} * (std::int64_t{nx} + 1) + j;
      if (low_at < 0 || v < low) {
        low = v;
        low_at = at;
      }
      if (high_at < 0 || v > high) {
        high = v;
        high_at = at;
      }
    }
  }
  if (low_at >= 0 && !std::isfinite(high - low)) {
    auto cell = [&](std::int64_t at) {
      return CellName(static_cast<std::int32_t>(at / (nx + 1)) + kRowOffset,
                      static_cast<std::int32_t>(at % (nx + 1)) + kColOffset);
    };
    throw RunError(err::kOverflow, "節点の値の幅 (セル " + cell(low_at) + " の " + RealText(low) +
                                       " からセル " + cell(high_at) + " の " + RealText(high) +
                                       ") が大きすぎて計算できません。");
  }
}

}  // namespace ombrix
