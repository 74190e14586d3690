#include "model/mesh_model.h"

#include <utility>

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
  model.Triangles.Allocate(0, TriangleListUpper(model));
  model.TriangleCount = 0;
}

void AppendTriangle(MeshModel& model, const TriangleRecord& triangle) {
  const std::int64_t next = CheckedLong(std::int64_t{model.TriangleCount} + 1, "TriangleCount");
  model.Triangles(next) = triangle;  // error 9 before the count moves when the list is full
  model.TriangleCount = static_cast<std::int32_t>(next);
}

}  // namespace ombrix
