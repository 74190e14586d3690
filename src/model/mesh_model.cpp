#include "model/mesh_model.h"

#include <array>
#include <utility>
#include <vector>

#include "model/run_error.h"

namespace ombrix {
namespace {

constexpr std::int64_t kColorTableUpper = 20;

std::int64_t CheckedLong(std::int64_t value, const char* what) {
  if (value < INT32_MIN || value > INT32_MAX) {
    throw RunError(err::kOverflow, std::string("オーバーフローしました: ") + what +
                                       " が 32 ビット整数に収まりません。");
  }
  return value;
}

}  // namespace

MeshModel::MeshModel() {
  ColorRed.Allocate(0, kColorTableUpper);
  ColorGreen.Allocate(0, kColorTableUpper);
  ColorBlue.Allocate(0, kColorTableUpper);
}

void AllocateMesh(MeshModel& model, std::int32_t nx, std::int32_t ny) {
  const std::int64_t x_upper = CheckedLong(std::int64_t{nx} + 2, "NodeCountX + 2");
  const std::int64_t y_upper = CheckedLong(std::int64_t{ny} + 2, "NodeCountY + 2");
  // Build into fresh arrays and swap them in only when all four exist.
  BoundedArray<double> node_x{"NodeX"};
  BoundedArray<double> node_y{"NodeY"};
  BoundedArray2<double> node_value{"NodeValue"};
  BoundedArray2<std::int32_t> node_blank{"NodeBlank"};
  node_x.Allocate(0, x_upper);
  node_y.Allocate(0, y_upper);
  node_value.Allocate(-1, y_upper, -1, x_upper);
  node_blank.Allocate(-1, y_upper, -1, x_upper);
  model.NodeX = std::move(node_x);
  model.NodeY = std::move(node_y);
  model.NodeValue = std::move(node_value);
  model.NodeBlank = std::move(node_blank);
  model.NodeCountX = nx;
  model.NodeCountY = ny;
}

std::int32_t TriangleListUpper(const MeshModel& model) {
  return static_cast<std::int32_t>(CheckedLong(
      CheckedLong(
          CheckedLong(std::int64_t{4} * model.NodeCountX, "4 × NodeCountX") * model.NodeCountY,
          "4 × NodeCountX × NodeCountY") +
          10,
      "4 × NodeCountX × NodeCountY + 10"));
}

void ResetTriangles(MeshModel& model) {
  const std::int32_t upper = TriangleListUpper(model);
  const std::int32_t nx = model.NodeCountX;
  const std::int32_t ny = model.NodeCountY;
  std::vector<double> y, x, z;
  if (nx > 0 && ny > 0) {
    y.reserve(static_cast<std::size_t>(ny));
    x.reserve(static_cast<std::size_t>(nx));
    z.reserve(static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny));
    for (std::int32_t i = 1; i <= ny; ++i) {
      y.push_back(model.NodeY(i));
    }
    for (std::int32_t j = 1; j <= nx; ++j) {
      x.push_back(model.NodeX(j));
    }
    for (std::int32_t i = 1; i <= ny; ++i) {
      for (std::int32_t j = 1; j <= nx; ++j) {
        z.push_back(model.NodeValue(i, j));
      }
    }
  }
  model.Triangles.AllocateForMesh(upper, std::move(y), std::move(x), std::move(z));
  model.TriangleCount = 0;
}

void AppendTriangle(MeshModel& model, const TriangleRecord& triangle) {
  const std::int64_t next = CheckedLong(std::int64_t{model.TriangleCount} + 1, "TriangleCount");
  model.Triangles.Set(next, triangle);  // error 9 before the count moves when the list is full
  model.TriangleCount = static_cast<std::int32_t>(next);
}

void AppendCellTriangle(MeshModel& model, std::int32_t i, std::int32_t j, std::int32_t side,
                        std::int32_t divisor) {
  const std::int64_t next = CheckedLong(std::int64_t{model.TriangleCount} + 1, "TriangleCount");
  const MeshModel& m = model;
  const std::array<double, 8> live = {m.NodeY(i),
                                      m.NodeY(i + 1),
                                      m.NodeX(j),
                                      m.NodeX(j + 1),
                                      m.NodeValue(i, j),
                                      m.NodeValue(i, j + 1),
                                      m.NodeValue(i + 1, j),
                                      m.NodeValue(i + 1, j + 1)};
  if (model.Triangles.HoldsCell(i, j, live)) {
    model.Triangles.SetCellTriangle(next, i, j, side, divisor);
  } else {
    // The mesh changed since the list was sized: the triangle keeps today's values whole.
    TriangleRecord t;
    const SideCorners& corners = kSideCorners[static_cast<std::size_t>(side)];
    const CornerOffset ends[2] = {corners.vertex1, corners.vertex2};
    for (std::size_t v = 0; v < 2; ++v) {
      t.Y[v + 1] = m.NodeY(i + ends[v].row);
      t.X[v + 1] = m.NodeX(j + ends[v].col);
      t.Z[v + 1] = m.NodeValue(i + ends[v].row, j + ends[v].col);
    }
    t.Y[3] = (live[0] + live[1]) / 2;
    t.X[3] = (live[2] + live[3]) / 2;
    t.Z[3] = (live[4] + live[5] + live[6] + live[7]) / static_cast<double>(divisor);
    t.CellRow = i;
    t.CellCol = j;
    t.Side = side;
    model.Triangles.Set(next, t);
  }
  model.TriangleCount = static_cast<std::int32_t>(next);
}

}  // namespace ombrix
