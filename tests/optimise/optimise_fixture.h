#pragma once
// Small meshes and point sets for the optimiser tests.

#include <cstdint>
#include <vector>

#include "model/mesh_model.h"
#include "optimise/point_cells.h"
#include "optimise/sparse_system.h"
#include "optimise/system_terms.h"

namespace ombrix::testing {

struct TestPoint {
  double x = 0;
  double y = 0;
  double v = 0;
};

// xs increasing (columns), ys decreasing (rows from the top); every node 7 and blank flag 1, so
// a run that writes shows it.
inline MeshModel MakeModel(const std::vector<double>& xs, const std::vector<double>& ys,
                           const std::vector<TestPoint>& points, double w1, double w2, double w3,
                           double omega, double epsilon, std::int32_t mode) {
  MeshModel m;
  const auto nx = static_cast<std::int32_t>(xs.size());
  const auto ny = static_cast<std::int32_t>(ys.size());
  AllocateMesh(m, nx, ny);
  for (std::int32_t j = 1; j <= nx; ++j) {
    m.NodeX(j) = xs[static_cast<std::size_t>(j - 1)];
  }
  for (std::int32_t i = 1; i <= ny; ++i) {
    m.NodeY(i) = ys[static_cast<std::size_t>(i - 1)];
    for (std::int32_t j = 1; j <= nx; ++j) {
      m.NodeValue(i, j) = 7;
      m.NodeBlank(i, j) = 1;
    }
  }
  const auto count = static_cast<std::int32_t>(points.size());
  m.PointCount = count;
  m.PointX.Allocate(0, count + 2);
  m.PointY.Allocate(0, count + 2);
  m.PointValue.Allocate(0, count + 2);
  for (std::int32_t p = 1; p <= count; ++p) {
    const TestPoint& tp = points[static_cast<std::size_t>(p - 1)];
    m.PointX(p) = tp.x;
    m.PointY(p) = tp.y;
    m.PointValue(p) = tp.v;
  }
  m.MembraneWeight = w1;
  m.CurvatureWeight = w2;
  m.DataWeight = w3;
  m.RelaxationFactor = omega;
  m.ConvergenceLimit = epsilon;
  m.InitialValueMode = mode;
  return m;
}

// Every node still 7 with blank flag 1, as MakeModel left it: the run wrote nothing.
inline bool Untouched(const MeshModel& m) {
  for (std::int32_t i = 1; i <= m.NodeCountY; ++i) {
    for (std::int32_t j = 1; j <= m.NodeCountX; ++j) {
      if (m.NodeValue(i, j) != 7 || m.NodeBlank(i, j) != 1) {
        return false;
      }
    }
  }
  return true;
}

// The node values row by row, and the blank flags likewise.
inline std::vector<double> NodeValues(const MeshModel& m) {
  std::vector<double> out;
  for (std::int32_t i = 1; i <= m.NodeCountY; ++i) {
    for (std::int32_t j = 1; j <= m.NodeCountX; ++j) {
      out.push_back(m.NodeValue(i, j));
    }
  }
  return out;
}
inline std::vector<std::int32_t> NodeBlanks(const MeshModel& m) {
  std::vector<std::int32_t> out;
  for (std::int32_t i = 1; i <= m.NodeCountY; ++i) {
    for (std::int32_t j = 1; j <= m.NodeCountX; ++j) {
      out.push_back(m.NodeBlank(i, j));
    }
  }
  return out;
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
  f.right_side.assign(static_cast<std::size_t>(f.system.size()), 0.0);
  SparseMatrix data(m.NodeCountX, m.NodeCountY);
  AddDataTerm(m, FindPointCells(m), data, f.right_side);
  for (std::size_t e = 0; e < data.entries(); ++e) {
    f.system.value(e) = f.system.value(e) + m.DataWeight * data.value(e);
  }
  for (double& r : f.right_side) {
    r = r * m.DataWeight;
  }
  return f;
}

}  // namespace ombrix::testing
