#include "contour/mesh_division.h"

#include <cmath>
#include <limits>
#include <sstream>

#include "model/numeric.h"
#include "model/run_error.h"

namespace ombrix {
namespace {

// Triangles divided between two calls of the progress callback.
constexpr std::int32_t kProgressEvery = 4096;

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

// A midpoint of a side: coordinates and value are the means, the flag the integer mean.
struct Midpoint {
  double y, x, z;
  std::int32_t flag;
};

Midpoint MidpointOf(const TriangleRecord& t, std::size_t a, std::size_t b) {
  return {(t.Y[a] + t.Y[b]) / 2, (t.X[a] + t.X[b]) / 2, (t.Z[a] + t.Z[b]) / 2,
          static_cast<std::int32_t>((std::int64_t{t.Flags[a]} + t.Flags[b]) / 2)};
}

void SetVertex(TriangleRecord& t, std::size_t v, const Midpoint& p) {
  t.Y[v] = p.y;
  t.X[v] = p.x;
  t.Z[v] = p.z;
  t.Flags[v] = p.flag;
}

Midpoint Corner(const TriangleRecord& t, std::size_t v) {
  return {t.Y[v], t.X[v], t.Z[v], t.Flags[v]};
}

TriangleRecord Piece(const Midpoint& p1, const Midpoint& p2, const Midpoint& p3) {
  TriangleRecord t;
  SetVertex(t, 1, p1);
  SetVertex(t, 2, p2);
  SetVertex(t, 3, p3);
  return t;
}

// Writes the 4^passes parts that `passes` passes make of `t` to out[0..4^passes), in the order
// the passes leave them: the four parts of one pass, each followed by nothing until its own
// parts are complete, so that a part's descendants form one block.
void Split(const TriangleRecord& t, std::int32_t passes, TriangleRecord* out) {
  if (passes == 0) {
    *out = t;
    return;
  }
  const Midpoint p1 = Corner(t, 1);
  const Midpoint p2 = Corner(t, 2);
  const Midpoint p3 = Corner(t, 3);
  const Midpoint m12 = MidpointOf(t, 1, 2);
  const Midpoint m23 = MidpointOf(t, 2, 3);
  const Midpoint m13 = MidpointOf(t, 1, 3);
  const std::size_t block = std::size_t{1} << (2 * (passes - 1));
  Split(Piece(p1, m12, m13), passes - 1, out);
  Split(Piece(p2, m12, m23), passes - 1, out + block);
  Split(Piece(p3, m13, m23), passes - 1, out + 2 * block);
  Split(Piece(m12, m23, m13), passes - 1, out + 3 * block);
}

}  // namespace

double DividedTriangleCount(std::int32_t triangles, double divisions) {
  return std::pow(4.0, divisions - 1) * triangles;
}

std::string DivisionRefusal(std::int32_t triangles, double divisions,
                            std::uint64_t available_bytes) {
  const double count = DividedTriangleCount(triangles, divisions);
  if (count > kMaxDividedTriangles) {
    return "分割すると三角形が " + CountText(triangles, divisions) + " 個になり、上限の " +
           std::to_string(static_cast<std::int64_t>(kMaxDividedTriangles)) +
           " 個を超えます。メッシュは分割しませんでした。";
  }
  // The list keeps two spare entries past the triangles, and entry 0.
  const std::uint64_t bytes = (static_cast<std::uint64_t>(count) + 3) * sizeof(TriangleRecord);
  if (available_bytes != 0 && bytes > available_bytes) {
    return "分割すると三角形が " + CountText(triangles, divisions) + " 個になり、その一覧に要る " +
           std::to_string(MiB(bytes)) + " MiB が使えるメモリ " +
           std::to_string(MiB(available_bytes)) + " MiB を超えます。メッシュは分割しませんでした。";
  }
  return {};
}

bool DivideTriangles(MeshModel& model, std::int32_t divisions, const DivisionProgress& progress) {
  if (divisions < 1) {
    throw RunError(err::kOverflow,
                   "分割回数 " + std::to_string(divisions) + " は 1 以上ではありません。");
  }
  const std::int32_t upper = ToLong(DividedTriangleCount(model.TriangleCount, divisions) + 2);
  model.Triangles.ResizePreserve(upper);
  const std::int32_t passes = divisions - 1;
  const std::int32_t count = model.TriangleCount;
  if (passes == 0 || count == 0) {
    return true;
  }
  // The bound fits 32 bits, so 4^passes does too.
  const std::int64_t block = std::int64_t{1} << (2 * passes);
  // All passes are made at once, triangle by triangle: the parts of triangle k fill entries
  // (k-1)*block+1..k*block, exactly where pass after pass would leave them. Working from the
  // last triangle down, that block never holds a triangle still to be divided, so the list is
  // divided in place and written once.
  for (std::int32_t k = count; k >= 1; --k) {
    if (progress && (count - k) % kProgressEvery == 0 && !progress(count - k, count)) {
      return false;
    }
    const TriangleRecord t = model.Triangles(k);
    const std::int64_t first = (k - 1) * block + 1;
    model.Triangles(first + block - 1);  // the block's last entry is in range (error 9 if not)
    Split(t, passes, &model.Triangles(first));
  }
  model.TriangleCount = static_cast<std::int32_t>(count * block);
  return true;
}

}  // namespace ombrix
