#pragma once
// Meshes, triangle lists, recorded calls and the flat-triangle reference shared by the contour
// tests.

#include <algorithm>
#include <cstdint>
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

// An nx x ny mesh one unit a node, y falling to 0 on the last row, values f(row, column)
// counted from 0.
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
  for (const std::string& call : calls) {
    if (call.starts_with(prefix))
      out.push_back(call);
  }
  return out;
}

// Every field to the bit (-0 and 0 differ, NaN matches NaN), for exact comparisons that show
// what differs.
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
template <typename T>
std::vector<std::string> Exact(const std::vector<T>& list) {
  std::vector<std::string> out;
  for (const T& item : list)
    out.push_back(Exact(item));
  return out;
}
template <typename T>
std::vector<std::string> Exact(const GrowableList<T>& list) {
  std::vector<std::string> out;
  for (int k = 1; k <= list.count(); ++k)
    out.push_back(Exact(list(k)));
  return out;
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
