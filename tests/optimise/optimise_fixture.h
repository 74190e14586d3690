#pragma once
// Small meshes and point sets for the optimiser tests.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <random>
#include <vector>

#include "fakes/fake_window_ops.h"
#include "model/mesh_model.h"
#include "model/run_error.h"
#include "optimise/optimizing_calc.h"
#include "optimise/point_cells.h"
#include "optimise/sparse_system.h"
#include "optimise/system_terms.h"

namespace ombrix::testing {

struct TestPoint {
  double x, y, v;
};

// xs increasing (columns), ys decreasing (rows from the top); every node 7 and blank flag 1, so
// a run that writes shows it.
inline MeshModel MakeModel(const std::vector<double>& xs, const std::vector<double>& ys,
                           const std::vector<TestPoint>& points, double w1 = 1, double w2 = 1,
                           double w3 = 1, double omega = 1.5, double epsilon = 1e-6,
                           std::int32_t mode = 0) {
  MeshModel m;
  AllocateMesh(m, xs.size(), ys.size());
  for (std::int32_t j = 1; j <= m.NodeCountX; ++j)
    m.NodeX(j) = xs[j - 1];
  for (std::int32_t i = 1; i <= m.NodeCountY; ++i) {
    m.NodeY(i) = ys[i - 1];
    for (std::int32_t j = 1; j <= m.NodeCountX; ++j) {
      m.NodeValue(i, j) = 7;
      m.NodeBlank(i, j) = 1;
    }
  }
  m.PointCount = points.size();
  m.PointX.Allocate(0, m.PointCount + 2);
  m.PointY.Allocate(0, m.PointCount + 2);
  m.PointValue.Allocate(0, m.PointCount + 2);
  for (std::int32_t p = 1; p <= m.PointCount; ++p) {
    m.PointX(p) = points[p - 1].x;
    m.PointY(p) = points[p - 1].y;
    m.PointValue(p) = points[p - 1].v;
  }
  m.MembraneWeight = w1;
  m.CurvatureWeight = w2;
  m.DataWeight = w3;
  m.RelaxationFactor = omega;
  m.ConvergenceLimit = epsilon;
  m.InitialValueMode = mode;
  return m;
}

// A random nx-by-ny mesh, unevenly spaced, with `points` points (-1: one inside every cell) of
// which some lie on nodes, on column lines or outside the mesh, and one more inside the first
// cell, so that a run is not refused.
inline MeshModel RandomModel(std::mt19937& rng, std::int32_t nx, std::int32_t ny, int points,
                             std::int32_t mode = 0) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<double> xs{unit(rng) * 3 - 1}, ys{unit(rng) * 3 + 10};
  while (std::ssize(xs) < nx)
    xs.push_back(xs.back() + 0.3 + 1.7 * unit(rng));
  while (std::ssize(ys) < ny)
    ys.push_back(ys.back() - 0.3 - 1.7 * unit(rng));
  const auto within = [&](double from, double to) { return from + unit(rng) * (to - from); };
  std::vector<TestPoint> pts;
  for (std::int32_t i = 1; points < 0 && i < ny; ++i) {
    for (std::int32_t j = 1; j < nx; ++j)
      pts.push_back({within(xs[j - 1], xs[j]), within(ys[i], ys[i - 1]), within(-5, 20)});
  }
  std::uniform_int_distribution<std::size_t> col(0, xs.size() - 1), row(0, ys.size() - 1);
  for (int p = 0; p < points; ++p) {
    const double kind = unit(rng);
    TestPoint tp{within(xs.front(), xs.back()), within(ys.back(), ys.front()), within(-5, 20)};
    if (kind < 0.2) {
      tp = {xs[col(rng)], ys[row(rng)], tp.v};
    } else if (kind < 0.35) {
      tp.x = xs[col(rng)];
    } else if (kind < 0.45) {
      tp.x = xs.back() + 1 + unit(rng);
    }
    pts.push_back(tp);
  }
  if (nx > 1 && ny > 1)
    pts.push_back({(xs[0] + xs[1]) / 2, (ys[0] + ys[1]) / 2, within(1, 11)});
  return MakeModel(xs, ys, pts, within(0.1, 2.1), within(0, 2), within(0.5, 20.5), within(0.8, 1.7),
                   1e-9, mode);
}

// Every node still 7 with blank flag 1, as MakeModel left it: the run wrote nothing.
inline bool Untouched(const MeshModel& m) {
  for (std::int32_t i = 1; i <= m.NodeCountY; ++i) {
    for (std::int32_t j = 1; j <= m.NodeCountX; ++j) {
      if (m.NodeValue(i, j) != 7 || m.NodeBlank(i, j) != 1)
        return false;
    }
  }
  return true;
}

// The error the run must end in, the mesh left as it was.
inline RunError Failure(MeshModel m, const OptimizeObservers& observers = {}) {
  FakeEventPump events;
  try {
    OptimizingCalc(m, events, observers);
  } catch (const RunError& e) {
    EXPECT_TRUE(Untouched(m));
    return e;
  }
  ADD_FAILURE() << "no error";
  return RunError(0, "");
}

// The node values row by row, and the blank flags likewise.
inline std::vector<double> NodeValues(const MeshModel& m) {
  std::vector<double> out;
  for (std::int32_t i = 1; i <= m.NodeCountY; ++i) {
    for (std::int32_t j = 1; j <= m.NodeCountX; ++j)
      out.push_back(m.NodeBlank(i, j) == 0 ? m.NodeValue(i, j) : NAN);
  }
  return out;
}

// The same doubles, bit for bit.
inline void ExpectSameBits(const std::vector<double>& got, const std::vector<double>& want,
                           const char* what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (std::size_t e = 0; e < got.size(); ++e) {
    // Zero entries left out of the sparse rows read as +0; a dense entry may be -0.
    if (got[e] == 0 && want[e] == 0)
      continue;
    ASSERT_EQ(std::bit_cast<std::uint64_t>(got[e]), std::bit_cast<std::uint64_t>(want[e]))
        << what << " entry " << e << ": " << got[e] << " vs " << want[e];
  }
}

// The fit's system (w1 L + w2 H + w3 P'P) z = w3 P'v, assembled as the optimiser does.
struct FitSystem {
  SparseMatrix system{0, 0};
  std::vector<double> right_side;
};
inline FitSystem AssembleSystem(const MeshModel& m) {
  FitSystem f;
  f.system = SparseMatrix(m.NodeCountX, m.NodeCountY);
  FillMembraneCurvature(f.system, m.MembraneWeight, m.CurvatureWeight);
  f.right_side.assign(f.system.size(), 0.0);
  SparseMatrix data(m.NodeCountX, m.NodeCountY);
  AddDataTerm(m, FindPointCells(m), data, f.right_side);
  for (std::size_t e = 0; e < data.entries(); ++e)
    f.system.value(e) = f.system.value(e) + m.DataWeight * data.value(e);
  for (double& r : f.right_side)
    r = r * m.DataWeight;
  return f;
}

// The system of a RandomModel; on a mesh without cells, whose system keeps the constants in
// its null space, a diagonal term and a right side of its own make it definite.
inline FitSystem RandomSystem(std::mt19937& rng, std::int32_t nx, std::int32_t ny, int points) {
  FitSystem f = AssembleSystem(RandomModel(rng, nx, ny, points));
  std::uniform_real_distribution<double> side(-5, 5);
  for (std::int32_t k = 1; (nx == 1 || ny == 1) && k <= f.system.size(); ++k) {
    f.system.value(f.system.diagonal(k)) += 0.5;
    f.right_side[k - 1] = side(rng);
  }
  return f;
}

// L and H dense from the energies' terms factor * (c . z)^2, each adding factor c c': neighbour
// differences (L), row and column triples and 2 x 2 blocks counted twice (H).
struct EnergyMatrices {
  std::vector<double> membrane, curvature;
  EnergyMatrices(std::int32_t nx, std::int32_t ny)
      : membrane(nx * ny * nx * ny), curvature(membrane.size()) {
    const auto add = [&](std::vector<double>& a, std::vector<std::int32_t> nodes,
                         std::vector<double> c, double factor) {
      for (std::size_t u = 0; u < nodes.size(); ++u) {
        for (std::size_t v = 0; v < nodes.size(); ++v)
          a[(nodes[u] - 1) * nx * ny + nodes[v] - 1] += factor * c[u] * c[v];
      }
    };
    for (std::int32_t i = 1; i <= ny; ++i) {
      for (std::int32_t j = 1; j <= nx; ++j) {
        const std::int32_t k = (i - 1) * nx + j;
        if (j < nx)
          add(membrane, {k, k + 1}, {1, -1}, 1);
        if (i < ny)
          add(membrane, {k, k + nx}, {1, -1}, 1);
        if (1 < j && j < nx)
          add(curvature, {k - 1, k, k + 1}, {1, -2, 1}, 1);
        if (1 < i && i < ny)
          add(curvature, {k - nx, k, k + nx}, {1, -2, 1}, 1);
        if (i < ny && j < nx)
          add(curvature, {k, k + 1, k + nx, k + nx + 1}, {1, -1, -1, 1}, 2);
      }
    }
  }
};

}  // namespace ombrix::testing
