#include "contour/mesh_division.h"

#include <cmath>
#include <limits>
#include <sstream>

#include "model/numeric.h"
#include "model/run_error.h"

namespace ombrix {
namespace {

// Counts up to this are written out in full; larger ones as the power they come from.
constexpr double kExactCountLimit = 9e15;

std::string CountText(std::int32_t triangles, double divisions) {
  const double count = DividedTriangleCount(triangles, divisions);
  if (count <= kExactCountLimit) {
    return std::to_string(static_cast<std::int64_t>(count));
  }
  std::ostringstream text;
  text.precision(17);
  text << "4 の " << (divisions - 1) << " 乗 × " << triangles;
  return text.str();
}

std::uint64_t MiB(std::uint64_t bytes) {
  return bytes / (1024 * 1024);
}

}  // namespace

double DividedTriangleCount(std::int32_t triangles, double divisions) {
  return std::pow(4.0, divisions - 1) * triangles;
}

std::uint64_t DividedDrawingBytes(std::uint64_t parts) {
  // The list keeps two spare entries past the parts, and entry 0.
  return (parts + 3) * kDrawingBytesPerPart;
}

std::string DivisionRefusal(std::int32_t triangles, double divisions,
                            std::uint64_t available_bytes) {
  const double count = DividedTriangleCount(triangles, divisions);
  if (count > kMaxDividedTriangles) {
    return "分割すると三角形が " + CountText(triangles, divisions) + " 個になり、上限の " +
           std::to_string(static_cast<std::int64_t>(kMaxDividedTriangles)) +
           " 個を超えます。メッシュは分割しませんでした。";
  }
  const std::uint64_t bytes = DividedDrawingBytes(static_cast<std::uint64_t>(count));
  if (available_bytes != 0 && bytes > available_bytes) {
    return "分割すると三角形が " + CountText(triangles, divisions) + " 個になり、その作図に要る " +
           std::to_string(MiB(bytes)) + " MiB が使えるメモリ " +
           std::to_string(MiB(available_bytes)) + " MiB を超えます。メッシュは分割しませんでした。";
  }
  return {};
}

void DivideTriangles(MeshModel& model, std::int32_t divisions) {
  if (divisions < 1) {
    throw RunError(err::kOverflow,
                   "分割回数 " + std::to_string(divisions) + " は 1 以上ではありません。");
  }
  // Error 6 when the new bound leaves 32 bits; then 4^(d-1) fits them too.
  ToLong(DividedTriangleCount(model.TriangleCount, divisions) + 2);
  const std::int32_t count = model.TriangleCount;
  const std::int32_t passes = count == 0 ? 0 : divisions - 1;
  // The parts are not written out: the list works each one out from the triangle it came from
  // when it is read, exactly as the passes would have left it.
  model.Triangles.Divide(count, passes);
  model.TriangleCount = static_cast<std::int32_t>(std::int64_t{count} << (2 * passes));
}

}  // namespace ombrix
