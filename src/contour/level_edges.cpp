#include "contour/level_edges.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace ombrix {
namespace {

// A pixel point compared by exact equality, as the plateau pass compares corners. -0 and +0
// are the same point; NaN never matches anything and is not indexed.
struct PointKey {
  double y;
  double x;
  bool operator==(const PointKey& o) const { return y == o.y && x == o.x; }
};

std::uint64_t Bits(double v) {
  const double normal = v == 0 ? 0.0 : v;
  std::uint64_t bits;
  std::memcpy(&bits, &normal, sizeof bits);
  return bits;
}

struct PointHash {
  std::size_t operator()(const PointKey& p) const {
    const std::uint64_t h = Bits(p.y) * 0x9E3779B97F4A7C15ULL ^ Bits(p.x);
    return static_cast<std::size_t>(h ^ (h >> 29));
  }
};

bool Indexable(double y, double x) {
  return !std::isnan(y) && !std::isnan(x);
}

struct EdgeKey {
  PointKey from;
  PointKey to;
  bool operator==(const EdgeKey& o) const { return from == o.from && to == o.to; }
};

struct EdgeHash {
  std::size_t operator()(const EdgeKey& e) const {
    return PointHash()(e.from) * 31 + PointHash()(e.to);
  }
};

}  // namespace

std::int32_t CheckLevelEdge(const MeshModel& m, const TriangleRecord& t) {
  double n[4][4];
  for (std::int32_t r = 0; r <= 3; ++r) {
    for (std::int32_t q = 0; q <= 3; ++q) {
      n[r][q] = m.NodeValue(t.CellRow - 1 + r, t.CellCol - 1 + q);
    }
  }
  double a[3][3];
  for (std::int32_t r = 0; r <= 2; ++r) {
    for (std::int32_t q = 0; q <= 2; ++q) {
      a[r][q] = (n[r][q] + n[r][q + 1] + n[r + 1][q] + n[r + 1][q + 1]) / 4;
    }
  }
  // The border of the mesh counts as 0, for the nodes and the cell means alike.
  if (t.CellRow == 1) {
    for (std::int32_t q = 0; q <= 3; ++q)
      n[0][q] = 0;
    for (std::int32_t q = 0; q <= 2; ++q)
      a[0][q] = 0;
  }
  if (std::int64_t{t.CellRow} + 2 >= m.NodeCountY) {
    for (std::int32_t q = 0; q <= 3; ++q)
      n[3][q] = 0;
    for (std::int32_t q = 0; q <= 2; ++q)
      a[2][q] = 0;
  }
  if (t.CellCol == 1) {
    for (std::int32_t r = 0; r <= 3; ++r)
      n[r][0] = 0;
    for (std::int32_t r = 0; r <= 2; ++r)
      a[r][0] = 0;
  }
  if (std::int64_t{t.CellCol} + 2 >= m.NodeCountX) {
    for (std::int32_t r = 0; r <= 3; ++r)
      n[r][3] = 0;
    for (std::int32_t r = 0; r <= 2; ++r)
      a[r][2] = 0;
  }
  if (t.Side < 1 || t.Side > 4) {
    return 0;
  }
  // The side's two corners in the 4 x 4 neighbourhood: the cell's corners are (1..2, 1..2).
  static constexpr std::int32_t kCorner[5][2][2] = {
      {{0, 0}, {0, 0}}, {{1, 1}, {2, 1}}, {{1, 1}, {1, 2}}, {{1, 2}, {2, 2}}, {{2, 2}, {2, 1}}};
  std::int32_t result = 0;
  for (int k = 0; k < 2; ++k) {
    const std::int32_t r = kCorner[t.Side][k][0];
    const std::int32_t q = kCorner[t.Side][k][1];
    const std::int32_t other_r = kCorner[t.Side][1 - k][0];
    const std::int32_t other_q = kCorner[t.Side][1 - k][1];
    const double z = t.Z[static_cast<std::size_t>(k + 1)];
    std::array<double, 7> set{};
    std::size_t size = 0;
    const std::int32_t neighbours[4][2] = {{r - 1, q}, {r + 1, q}, {r, q - 1}, {r, q + 1}};
    for (const auto& nb : neighbours) {
      if (nb[0] == other_r && nb[1] == other_q) {
        continue;
      }
      set[size++] = n[nb[0]][nb[1]];
    }
    set[size++] = a[r - 1][q - 1];
    set[size++] = a[r - 1][q];
    set[size++] = a[r][q - 1];
    set[size++] = a[r][q];
    bool above_all = true;
    bool below_all = true;
    for (std::size_t s = 0; s < size; ++s) {
      above_all = above_all && z > set[s];
      below_all = below_all && z < set[s];
    }
    result += (above_all ? 1 : 0) + (below_all ? 1 : 0);
  }
  return result;
}

void PairFlatTriangles(const GrowableList<TriangleRecord>& flats,
                       GrowableList<TriangleRecord>& flat_edges) {
  flat_edges.Clear();
  const std::int32_t count = flats.count();
  if (count < 2) {
    return;
  }
  // Which flat triangles have a corner at each point.
  std::unordered_map<PointKey, std::vector<std::int32_t>, PointHash> at_point;
  at_point.reserve(static_cast<std::size_t>(count) * 2);
  for (std::int32_t t = 1; t <= count; ++t) {
    const TriangleRecord& tri = flats(t);
    for (std::size_t v = 1; v <= 3; ++v) {
      if (Indexable(tri.Y[v], tri.X[v])) {
        std::vector<std::int32_t>& list = at_point[PointKey{tri.Y[v], tri.X[v]}];
        if (list.empty() || list.back() != t) {
          list.push_back(t);
        }
      }
    }
  }
  std::vector<std::int32_t> partners;
  for (std::int32_t m = 1; m < count; ++m) {
    const TriangleRecord& tm = flats(m);
    partners.clear();
    for (std::size_t p = 1; p <= 3; ++p) {
      if (!Indexable(tm.Y[p], tm.X[p])) {
        continue;
      }
      for (const std::int32_t n : at_point[PointKey{tm.Y[p], tm.X[p]}]) {
        if (n > m) {
          partners.push_back(n);
        }
      }
    }
    std::sort(partners.begin(), partners.end());
    partners.erase(std::unique(partners.begin(), partners.end()), partners.end());
    for (const std::int32_t n : partners) {
      const TriangleRecord& tn = flats(n);
      std::int32_t matches = 0;
      TriangleRecord edge;
      for (std::size_t l = 1; l <= 3; ++l) {
        for (std::size_t p = 1; p <= 3; ++p) {
          if (tm.Y[p] == tn.Y[l] && tm.X[p] == tn.X[l]) {
            ++matches;
            // A degenerate pair can match more than three times; the entry holds three points.
            if (matches <= 3) {
              edge.Y[static_cast<std::size_t>(matches)] = tm.Y[p];
              edge.X[static_cast<std::size_t>(matches)] = tm.X[p];
            }
          }
        }
      }
      if (matches >= 2) {
        flat_edges.Append(edge);
      }
    }
  }
}

void SuppressFlatEdges(const GrowableList<TriangleRecord>& flat_edges,
                       GrowableList<SegmentRecord>& segments) {
  if (flat_edges.count() == 0) {
    return;
  }
  std::unordered_set<EdgeKey, EdgeHash> edges;
  for (std::int32_t e = 1; e <= flat_edges.count(); ++e) {
    const TriangleRecord& edge = flat_edges(e);
    const PointKey p1{edge.Y[1], edge.X[1]};
    const PointKey p2{edge.Y[2], edge.X[2]};
    if (Indexable(p1.y, p1.x) && Indexable(p2.y, p2.x)) {
      edges.insert({p1, p2});
      edges.insert({p2, p1});
    }
  }
  for (std::int32_t s = 1; s <= segments.count(); ++s) {
    SegmentRecord& seg = segments(s);
    if (edges.count({PointKey{seg.Y1, seg.X1}, PointKey{seg.Y2, seg.X2}}) != 0) {
      seg.State = kSegmentSuppressed;
    }
  }
}

}  // namespace ombrix
