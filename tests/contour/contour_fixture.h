#pragma once
// Meshes, recorded calls and slow references shared by the contour tests.

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "contour/triangle_list.h"
#include "fakes/fake_context.h"
#include "fakes/fitted_frame.h"
#include "model/growable_list.h"
#include "model/mesh_model.h"
#include "model/segment_record.h"

namespace ombrix::testing {

// A mesh with its plot frame fitted the way the import fits it, and its triangles listed.
// xs increasing (columns), ys decreasing (rows from the top), values[row][column].
inline void MakeMesh(FakeEnvironment& env, const std::vector<double>& xs,
                     const std::vector<double>& ys,
                     const std::vector<std::vector<double>>& values) {
  MeshModel& m = env.model;
  AllocateMesh(m, static_cast<int>(xs.size()), static_cast<int>(ys.size()));
  for (int j = 1; j <= m.NodeCountX; ++j)
    m.NodeX(j) = xs[j - 1];
  for (int i = 1; i <= m.NodeCountY; ++i) {
    m.NodeY(i) = ys[i - 1];
    for (int j = 1; j <= m.NodeCountX; ++j)
      m.NodeValue(i, j) = values[i - 1][j - 1];
  }
  FitPlotFrame(m);
  env.window.MeshFileName = "mesh.xlsx";
  BuildTriangleList(m);
}

// An nx x ny mesh one unit a node, y falling to 0, values f(row, column) counted from 0.
template <typename F>
void GridMesh(FakeEnvironment& env, int nx, int ny, F f) {
  std::vector<double> xs, ys;
  std::vector<std::vector<double>> values(static_cast<std::size_t>(ny));
  for (int j = 0; j < nx; ++j)
    xs.push_back(j);
  for (int i = 0; i < ny; ++i) {
    ys.push_back(ny - 1 - i);
    for (int j = 0; j < nx; ++j)
      values[static_cast<std::size_t>(i)].push_back(f(i, j));
  }
  MakeMesh(env, xs, ys, values);
}

// Small meshes (2 to 7 nodes a side) on uneven grids with whole or half values in a narrow
// band, so that many vertices and centres lie on levels; now and then a wider spread, a
// plateau block, blank nodes (holding 0, as imported). The triangles are listed.
inline void RandomMesh(FakeEnvironment& env, std::mt19937& rng, int round) {
  const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const int nx = 2 + pick(6), ny = 2 + pick(6);
  std::vector<double> xs{-3.5 + pick(8) * 0.75}, ys{40.2 + pick(5)};
  while (std::ssize(xs) < nx)
    xs.push_back(xs.back() + std::array{0.5, 1.25, 2.0, 3.75, 0.1}[pick(5)]);
  while (std::ssize(ys) < ny)
    ys.push_back(ys.back() - std::array{0.5, 1.3, 2.0, 0.7}[pick(4)]);
  const bool halves = round % 2 == 1;
  const int spread = round % 7 == 0 ? 40 : 6;
  std::vector<std::vector<double>> values(static_cast<std::size_t>(ny));
  for (auto& row : values) {
    for (int j = 0; j < nx; ++j)
      row.push_back((pick(halves ? 2 * spread : spread) - 2) / (halves ? 2.0 : 1.0));
  }
  if (pick(3) == 0) {
    const int r0 = pick(ny), c0 = pick(nx), level = pick(4);
    for (int i = r0; i < std::min(ny, r0 + 3); ++i) {
      for (int j = c0; j < std::min(nx, c0 + 3); ++j)
        values[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] = level;
    }
  }
  MakeMesh(env, xs, ys, values);
  for (int b = round % 3 != 0 ? pick(1 + nx * ny / 4) : 0; b > 0; --b) {
    const int i = 1 + pick(ny), j = 1 + pick(nx);
    env.model.NodeBlank(i, j) = 1;
    env.model.NodeValue(i, j) = 0;
  }
  BuildTriangleList(env.model);
}

// A working list emptied and filled with `items` from entry 1.
template <typename T>
GrowableList<T> ListOf(std::string name, const std::vector<T>& items) {
  GrowableList<T> list(std::move(name));
  list.Clear();
  for (const T& item : items)
    list.Append(item);
  return list;
}

// Entries 1 to TriangleCount of the triangle list.
inline std::vector<TriangleRecord> Listed(const MeshModel& m) {
  std::vector<TriangleRecord> out;
  for (int t = 1; t <= m.TriangleCount; ++t)
    out.push_back(m.Triangles(t));
  return out;
}

// Calls written one after another, separated by ';'.
inline std::vector<std::string> Split(std::string_view text) {
  std::vector<std::string> out;
  for (std::size_t at = 0; at <= text.size();) {
    const std::size_t end = std::min(text.find(';', at), text.size());
    out.emplace_back(text.substr(at, end - at));
    at = end + 1;
  }
  return out;
}

// The calls that start with `prefix`, in order.
inline std::vector<std::string> Starting(const std::vector<std::string>& calls,
                                         std::string_view prefix) {
  std::vector<std::string> out;
  std::ranges::copy_if(calls, std::back_inserter(out),
                       [&](const std::string& call) { return call.starts_with(prefix); });
  return out;
}

// Every field to the bit (-0 and 0 differ, NaN matches NaN), so that a mismatch shows.
inline std::string Exact(const TriangleRecord& t) {
  std::ostringstream out;
  out << std::hexfloat;
  for (std::size_t v = 0; v <= 3; ++v)
    out << "(" << t.Y[v] << ", " << t.X[v] << ", " << t.Z[v] << ", " << t.Flags[v] << ") ";
  out << t.CellRow << " " << t.CellCol << " " << t.Side;
  return out.str();
}
inline std::string Exact(const SegmentRecord& s) {
  std::ostringstream out;
  out << std::hexfloat << "(" << s.Y1 << ", " << s.X1 << ") - (" << s.Y2 << ", " << s.X2 << ") "
      << s.State;
  return out.str();
}
template <typename List>
std::vector<std::string> Exact(const List& list) {
  std::vector<std::string> out;
  if constexpr (requires { list.count(); }) {
    for (int k = 1; k <= list.count(); ++k)
      out.push_back(Exact(list(k)));
  } else {
    for (const auto& item : list)
      out.push_back(Exact(item));
  }
  return out;
}

// Straight from the rules: how many ends of the triangle's cell side exceed (or undercut) all
// their other neighbour nodes and the four cell means around them. Nodes and means in the
// border rows and columns of the 4 x 4 window count as 0.
inline int ReferenceExtrema(const MeshModel& m, const TriangleRecord& t) {
  if (t.Side < 1 || t.Side > 4)
    return 0;
  const bool top = t.CellRow == 1, bottom = t.CellRow + 2 >= m.NodeCountY;
  const bool left = t.CellCol == 1, right = t.CellCol + 2 >= m.NodeCountX;
  const auto raw = [&](int r, int q) { return m.NodeValue(t.CellRow - 1 + r, t.CellCol - 1 + q); };
  const auto node = [&](int r, int q) {
    const bool zero =
        (top && r == 0) || (bottom && r == 3) || (left && q == 0) || (right && q == 3);
    return zero ? 0.0 : raw(r, q);
  };
  const auto mean = [&](int r, int q) {
    const bool zero =
        (top && r == 0) || (bottom && r == 2) || (left && q == 0) || (right && q == 2);
    return zero ? 0.0 : (raw(r, q) + raw(r, q + 1) + raw(r + 1, q) + raw(r + 1, q + 1)) / 4;
  };
  const int corner[5][2][2] = {
      {{0, 0}, {0, 0}}, {{1, 1}, {2, 1}}, {{1, 1}, {1, 2}}, {{1, 2}, {2, 2}}, {{2, 2}, {2, 1}}};
  int result = 0;
  for (int k = 0; k < 2; ++k) {
    const int r = corner[t.Side][k][0], q = corner[t.Side][k][1];
    std::vector<double> set = {mean(r - 1, q - 1), mean(r - 1, q), mean(r, q - 1), mean(r, q)};
    const int around[4][2] = {{r - 1, q}, {r + 1, q}, {r, q - 1}, {r, q + 1}};
    for (const auto& p : around) {
      if (p[0] != corner[t.Side][1 - k][0] || p[1] != corner[t.Side][1 - k][1])
        set.push_back(node(p[0], p[1]));
    }
    const double z = t.Z[k + 1];
    result += std::ranges::all_of(set, [&](double v) { return z > v; }) +
              std::ranges::all_of(set, [&](double v) { return z < v; });
  }
  return result;
}

// The flat pass as first written: every pair m < n; an entry is appended at the pair's first
// matching corner and taken out again when the pair matched exactly once. Points past 3 are
// not stored.
inline std::vector<TriangleRecord> ReferencePairing(const std::vector<TriangleRecord>& flats) {
  std::vector<TriangleRecord> edges;
  for (std::size_t m = 0; m < flats.size(); ++m) {
    for (std::size_t n = m + 1; n < flats.size(); ++n) {
      int count = 0;
      for (int l = 1; l <= 3; ++l) {
        for (int p = 1; p <= 3; ++p) {
          if (flats[m].Y[p] != flats[n].Y[l] || flats[m].X[p] != flats[n].X[l])
            continue;
          if (++count == 1)
            edges.emplace_back();
          if (count <= 3) {
            edges.back().Y[count] = flats[m].Y[p];
            edges.back().X[count] = flats[m].X[p];
          }
        }
      }
      if (count == 1)
        edges.pop_back();
    }
  }
  return edges;
}

// A segment matching any entry's first two points, either way round, is suppressed.
inline void ReferenceSuppression(const std::vector<TriangleRecord>& edges,
                                 std::vector<SegmentRecord>& segments) {
  for (const TriangleRecord& e : edges) {
    for (SegmentRecord& s : segments) {
      if ((s.Y1 == e.Y[1] && s.X1 == e.X[1] && s.Y2 == e.Y[2] && s.X2 == e.X[2]) ||
          (s.Y1 == e.Y[2] && s.X1 == e.X[2] && s.Y2 == e.Y[1] && s.X2 == e.X[1]))
        s.State = kSegmentSuppressed;
    }
  }
}

}  // namespace ombrix::testing
