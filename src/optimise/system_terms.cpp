#include "optimise/system_terms.h"

#include <array>
#include <cstdint>

namespace ombrix {
namespace {

// Stencil of one node as integer coefficients indexed by (row offset + 2, column offset + 2).
using Stencil = std::array<std::array<std::int32_t, 5>, 5>;

void Add(Stencil& s, std::int32_t di, std::int32_t dj, std::int32_t v) {
  s[di + 2][dj + 2] += v;
}

Stencil MembraneStencil(std::int32_t i, std::int32_t j, std::int32_t nx, std::int32_t ny) {
  Stencil s{};
  // Entry (k, n) -1 and (k, k) +1 for each neighbour that exists.
  if (i > 1) {
    Add(s, -1, 0, -1);
    Add(s, 0, 0, 1);
  }
  if (j > 1) {
    Add(s, 0, -1, -1);
    Add(s, 0, 0, 1);
  }
  if (i < ny) {
    Add(s, 1, 0, -1);
    Add(s, 0, 0, 1);
  }
  if (j < nx) {
    Add(s, 0, 1, -1);
    Add(s, 0, 0, 1);
  }
  return s;
}

Stencil CurvatureStencil(std::int32_t i, std::int32_t j, std::int32_t nx, std::int32_t ny) {
  Stencil s{};
  // Second differences down the column that involve node (i, j), as first, middle or last node.
  if (i >= 3) {
    Add(s, -2, 0, 1);
    Add(s, -1, 0, -2);
    Add(s, 0, 0, 1);
  }
  if (i >= 2 && i <= ny - 1) {
    Add(s, -1, 0, -2);
    Add(s, 0, 0, 4);
    Add(s, 1, 0, -2);
  }
  if (i <= ny - 2) {
    Add(s, 2, 0, 1);
    Add(s, 1, 0, -2);
    Add(s, 0, 0, 1);
  }
  // The same along the row.
  if (j >= 3) {
    Add(s, 0, -2, 1);
    Add(s, 0, -1, -2);
    Add(s, 0, 0, 1);
  }
  if (j >= 2 && j <= nx - 1) {
    Add(s, 0, -1, -2);
    Add(s, 0, 0, 4);
    Add(s, 0, 1, -2);
  }
  if (j <= nx - 2) {
    Add(s, 0, 2, 1);
    Add(s, 0, 1, -2);
    Add(s, 0, 0, 1);
  }
  // Twice the mixed difference of each 2x2 block that holds the node.
  if (i >= 2 && j >= 2) {
    Add(s, 0, 0, 2);
    Add(s, 0, -1, -2);
    Add(s, -1, 0, -2);
    Add(s, -1, -1, 2);
  }
  if (i >= 2 && j <= nx - 1) {
    Add(s, 0, 0, 2);
    Add(s, 0, 1, -2);
    Add(s, -1, 0, -2);
    Add(s, -1, 1, 2);
  }
  if (i <= ny - 1 && j >= 2) {
    Add(s, 0, 0, 2);
    Add(s, 0, -1, -2);
    Add(s, 1, 0, -2);
    Add(s, 1, -1, 2);
  }
  if (i <= ny - 1 && j <= nx - 1) {
    Add(s, 0, 0, 2);
    Add(s, 0, 1, -2);
    Add(s, 1, 0, -2);
    Add(s, 1, 1, 2);
  }
  return s;
}

// Calls f(position, di, dj) for every entry of node (i, j)'s row.
template <typename F>
void ForRow(const SparseMatrix& a, std::int32_t i, std::int32_t j, F&& f) {
  const std::int32_t nx = a.nx();
  const std::int32_t k = (i - 1) * nx + j;
  for (std::size_t e = a.begin(k); e < a.end(k); ++e) {
    const std::int32_t m = a.column(e);
    const std::int32_t r = (m - 1) / nx + 1;
    const std::int32_t c = m - (r - 1) * nx;
    f(e, r - i, c - j);
  }
}

std::int32_t ny_of(const SparseMatrix& a) {
  return a.nx() == 0 ? 0 : a.size() / a.nx();
}

}  // namespace

void FillMembrane(SparseMatrix& a, double w1) {
  const std::int32_t nx = a.nx();
  const std::int32_t ny = ny_of(a);
  for (std::int32_t i = 1; i <= ny; ++i) {
    for (std::int32_t j = 1; j <= nx; ++j) {
      const Stencil l = MembraneStencil(i, j, nx, ny);
      ForRow(a, i, j, [&](std::size_t e, std::int32_t di, std::int32_t dj) {
        a.value(e) = w1 * l[di + 2][dj + 2];
      });
    }
  }
}

void FillMembraneCurvature(SparseMatrix& a, double w1, double w2) {
  const std::int32_t nx = a.nx();
  const std::int32_t ny = ny_of(a);
  for (std::int32_t i = 1; i <= ny; ++i) {
    for (std::int32_t j = 1; j <= nx; ++j) {
      const Stencil l = MembraneStencil(i, j, nx, ny);
      const Stencil h = CurvatureStencil(i, j, nx, ny);
      ForRow(a, i, j, [&](std::size_t e, std::int32_t di, std::int32_t dj) {
        // SystemMatrix = w2 * H + MembraneMatrix, entry by entry.
        const double membrane = w1 * l[di + 2][dj + 2];
        a.value(e) = w2 * h[di + 2][dj + 2] + membrane;
      });
    }
  }
}

void AddDataTerm(const MeshModel& m, const std::vector<PointCell>& pairs, SparseMatrix& data,
                 std::vector<double>& right_side) {
  const std::int32_t nx = m.NodeCountX;
  for (const PointCell& pc : pairs) {
    const CornerWeights cw = WeightsInCell(m, pc);
    const std::int32_t k = (pc.i - 1) * nx + pc.j;
    const std::array<std::int32_t, 4> corner = {k, k + 1, k + nx, k + nx + 1};
    const double v = m.PointValue(pc.p);
    for (std::size_t a = 0; a < 4; ++a) {
      for (std::size_t b = 0; b < 4; ++b) {
        data.value(data.Find(corner[a], corner[b])) += cw.w[a] * cw.w[b];
      }
      right_side[static_cast<std::size_t>(corner[a] - 1)] += cw.w[a] * v;
    }
  }
}

}  // namespace ombrix
