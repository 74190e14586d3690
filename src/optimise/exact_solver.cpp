#include "optimise/exact_solver.h"

#include <Eigen/SparseCholesky>
#include <Eigen/SparseCore>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <memory>
#include <string>

#include "model/numeric.h"
#include "model/run_error.h"

namespace ombrix {
namespace {

// A matrix's rows in compressed form, read in place: row k's entries are start[k] ..
// start[k + 1] - 1, their columns in increasing order counted from `base`. The finest level reads
// the fitted system's own arrays this way, so the system is never held twice.
struct RowView {
  std::int32_t n = 0;
  const std::size_t* start = nullptr;
  const std::int32_t* column_at = nullptr;
  const double* value_at = nullptr;
  std::int32_t base = 0;

  std::size_t Begin(std::int32_t k) const { return start[static_cast<std::size_t>(k)]; }
  std::size_t End(std::int32_t k) const { return start[static_cast<std::size_t>(k) + 1]; }
  std::int32_t Column(std::size_t e) const { return column_at[e] - base; }
  double Value(std::size_t e) const { return value_at[e]; }
};

// Rows kept in compressed form, columns from 0 in increasing order.
struct Rows {
  std::int32_t n = 0;
  std::vector<std::size_t> start{0};
  std::vector<std::int32_t> column;
  std::vector<double> value;

  void Add(std::int32_t c, double v) {
    column.push_back(c);
    value.push_back(v);
  }
  void EndRow() {
    start.push_back(column.size());
    ++n;
  }
  RowView View() const { return {n, start.data(), column.data(), value.data(), 0}; }
};

// Coarse points of one mesh direction: every second node and the last one. Directions of three
// nodes or fewer are not coarsened.
struct Axis {
  std::int32_t fine = 0;
  std::int32_t coarse = 0;
  std::int32_t Position(std::int32_t c) const {
    return coarse == fine ? c : std::min(2 * c, fine - 1);
  }
  // The one or two coarse points a fine node interpolates from, with their weights.
  std::array<std::pair<std::int32_t, double>, 2> Weights(std::int32_t f, int& count) const {
    if (coarse == fine) {
      count = 1;
      return {{{f, 1.0}, {0, 0.0}}};
    }
    const std::int32_t c = std::min(f / 2, coarse - 2);
    const double a = Position(c);
    const double b = Position(c + 1);
    const double t = (f - a) / (b - a);
    if (t == 0) {
      count = 1;
      return {{{c, 1.0}, {0, 0.0}}};
    }
    if (t == 1) {
      count = 1;
      return {{{c + 1, 1.0}, {0, 0.0}}};
    }
    count = 2;
    return {{{c, 1 - t}, {c + 1, t}}};
  }
};

Axis Coarsen(std::int32_t n) {
  return {n, n <= 3 ? n : (n + 2) / 2};
}

struct Level {
  std::int32_t nx = 0, ny = 0;
  Rows owned;  // the matrix of a coarse level; the finest one reads the system's
  RowView a;
  std::vector<double> inverse_diagonal;
  Rows p;  // prolongation to this level from the next coarser one: rows of this level
  Axis ax, ay;
  std::vector<double> x, b, r;
};

double Dot(const std::vector<double>& u, const std::vector<double>& v) {
  double s = 0;
  for (std::size_t k = 0; k < u.size(); ++k) {
    s += u[k] * v[k];
  }
  return s;
}

void Multiply(const RowView& a, const std::vector<double>& x, std::vector<double>& y) {
  for (std::int32_t k = 0; k < a.n; ++k) {
    double s = 0;
    for (std::size_t e = a.Begin(k); e < a.End(k); ++e) {
      s += a.Value(e) * x[static_cast<std::size_t>(a.Column(e))];
    }
    y[static_cast<std::size_t>(k)] = s;
  }
}

// One Gauss-Seidel pass, forward or backward.
void GaussSeidel(const Level& l, std::vector<double>& x, const std::vector<double>& b,
                 bool forward) {
  const RowView& a = l.a;
  for (std::int32_t step = 0; step < a.n; ++step) {
    const std::int32_t k = forward ? step : a.n - 1 - step;
    const auto kk = static_cast<std::size_t>(k);
    double s = b[kk];
    for (std::size_t e = a.Begin(k); e < a.End(k); ++e) {
      s -= a.Value(e) * x[static_cast<std::size_t>(a.Column(e))];
    }
    x[kk] += s * l.inverse_diagonal[kk];
  }
}

// Prolongation from the coarse level of (ax, ay): fine node (i, j) takes the bilinear
// combination of its coarse neighbours.
Rows Prolongation(const Axis& ax, const Axis& ay) {
  Rows p;
  p.column.reserve(static_cast<std::size_t>(ax.fine) * static_cast<std::size_t>(ay.fine) * 4);
  p.value.reserve(p.column.capacity());
  for (std::int32_t i = 0; i < ay.fine; ++i) {
    int cy = 0;
    const auto wy = ay.Weights(i, cy);
    for (std::int32_t j = 0; j < ax.fine; ++j) {
      int cx = 0;
      const auto wx = ax.Weights(j, cx);
      for (int u = 0; u < cy; ++u) {
        for (int v = 0; v < cx; ++v) {
          p.Add(wy[static_cast<std::size_t>(u)].first * ax.coarse +
                    wx[static_cast<std::size_t>(v)].first,
                wy[static_cast<std::size_t>(u)].second * wx[static_cast<std::size_t>(v)].second);
        }
      }
      p.EndRow();
    }
  }
  return p;
}

// The Galerkin coarse matrix P'AP, row by row: coarse couplings reach at most three coarse
// nodes each way, so each row is gathered in a small window.
Rows Galerkin(const RowView& a, const Rows& p, const Axis& ax, const Axis& ay) {
  constexpr std::int32_t kReach = 3;
  constexpr std::int32_t kSide = 2 * kReach + 1;
  // Fine rows of each coarse node (P transposed).
  const std::int32_t nc = ax.coarse * ay.coarse;
  std::vector<std::int64_t> first(static_cast<std::size_t>(nc) + 1, 0);
  for (const std::int32_t c : p.column) {
    ++first[static_cast<std::size_t>(c) + 1];
  }
  for (std::int32_t c = 0; c < nc; ++c) {
    first[static_cast<std::size_t>(c) + 1] += first[static_cast<std::size_t>(c)];
  }
  std::vector<std::int32_t> fine_rows(p.column.size());
  std::vector<double> fine_weights(p.column.size());
  {
    std::vector<std::int64_t> fill(first.begin(), first.end() - 1);
    for (std::int32_t k = 0; k < p.n; ++k) {
      for (std::size_t e = p.start[static_cast<std::size_t>(k)];
           e < p.start[static_cast<std::size_t>(k) + 1]; ++e) {
        const auto at = static_cast<std::size_t>(
            fill[static_cast<std::size_t>(p.column[static_cast<std::size_t>(e)])]++);
        fine_rows[at] = k;
        fine_weights[at] = p.value[static_cast<std::size_t>(e)];
      }
    }
  }
  Rows ac;
  ac.column.reserve(static_cast<std::size_t>(nc) * 25);
  ac.value.reserve(static_cast<std::size_t>(nc) * 25);
  std::array<double, kSide * kSide> window{};
  std::array<bool, kSide * kSide> used{};
  for (std::int32_t c = 0; c < nc; ++c) {
    const std::int32_t ci = c / ax.coarse, cj = c % ax.coarse;
    for (std::int64_t f = first[static_cast<std::size_t>(c)];
         f < first[static_cast<std::size_t>(c) + 1]; ++f) {
      const std::int32_t k = fine_rows[static_cast<std::size_t>(f)];
      const double wk = fine_weights[static_cast<std::size_t>(f)];
      for (std::size_t e = a.Begin(k); e < a.End(k); ++e) {
        const std::int32_t m = a.Column(e);
        const double wa = wk * a.Value(e);
        for (std::size_t g = p.start[static_cast<std::size_t>(m)];
             g < p.start[static_cast<std::size_t>(m) + 1]; ++g) {
          const std::int32_t d = p.column[static_cast<std::size_t>(g)];
          const std::int32_t di = d / ax.coarse - ci + kReach;
          const std::int32_t dj = d % ax.coarse - cj + kReach;
          if (di < 0 || di >= kSide || dj < 0 || dj >= kSide) {
            throw RunError(err::kInternalError, "多重格子の粗い行列が想定より広がりました。");
          }
          const auto slot = static_cast<std::size_t>(di * kSide + dj);
          window[slot] += wa * p.value[static_cast<std::size_t>(g)];
          used[slot] = true;
        }
      }
    }
    for (std::int32_t slot = 0; slot < kSide * kSide; ++slot) {
      const auto s = static_cast<std::size_t>(slot);
      if (used[s]) {
        ac.Add((ci + slot / kSide - kReach) * ax.coarse + cj + slot % kSide - kReach, window[s]);
        window[s] = 0;
        used[s] = false;
      }
    }
    ac.EndRow();
  }
  return ac;
}

[[noreturn]] void NotPositiveDefinite() {
  throw RunError(err::kDivisionByZero,
                 "最適化できません: 連立方程式の解が一つに定まりません（点が少ないか一直線上に"
                 "並んでいます。重みを確かめて下さい）。");
}

void SetDiagonal(Level& l) {
  l.inverse_diagonal.assign(static_cast<std::size_t>(l.a.n), 0.0);
  for (std::int32_t k = 0; k < l.a.n; ++k) {
    for (std::size_t e = l.a.Begin(k); e < l.a.End(k); ++e) {
      if (l.a.Column(e) == k) {
        if (!(l.a.Value(e) > 0)) {
          NotPositiveDefinite();
        }
        l.inverse_diagonal[static_cast<std::size_t>(k)] = 1 / l.a.Value(e);
      }
    }
  }
}

constexpr std::int32_t kCoarsestNodes = 400;
constexpr int kSmoothingPasses = 2;

class Multigrid {
 public:
  Multigrid(const SparseMatrix& system, std::int32_t nx, std::int32_t ny) {
    auto fine = std::make_unique<Level>();
    fine->nx = nx;
    fine->ny = ny;
    fine->a = {system.size(), system.row_starts(), system.columns(), system.values(), 1};
    levels_.push_back(std::move(fine));
    for (;;) {
      Level& l = *levels_.back();
      SetDiagonal(l);
      l.x.assign(static_cast<std::size_t>(l.a.n), 0.0);
      l.b = l.x;
      l.r = l.x;
      const Axis ax = Coarsen(l.nx), ay = Coarsen(l.ny);
      if (l.a.n <= kCoarsestNodes || (ax.coarse == ax.fine && ay.coarse == ay.fine)) {
        break;
      }
      l.ax = ax;
      l.ay = ay;
      l.p = Prolongation(ax, ay);
      auto coarse = std::make_unique<Level>();
      coarse->nx = ax.coarse;
      coarse->ny = ay.coarse;
      coarse->owned = Galerkin(l.a, l.p, ax, ay);
      coarse->a = coarse->owned.View();
      levels_.push_back(std::move(coarse));
    }
    const RowView& a = levels_.back()->a;
    std::vector<Eigen::Triplet<double>> entries;
    for (std::int32_t k = 0; k < a.n; ++k) {
      for (std::size_t e = a.Begin(k); e < a.End(k); ++e) {
        entries.emplace_back(k, a.Column(e), a.Value(e));
      }
    }
    Eigen::SparseMatrix<double> coarsest(a.n, a.n);
    coarsest.setFromTriplets(entries.begin(), entries.end());
    direct_.compute(coarsest);
    if (direct_.info() != Eigen::Success) {
      NotPositiveDefinite();
    }
    for (std::int32_t k = 0; k < a.n; ++k) {
      if (!(direct_.vectorD()[k] > 0)) {
        NotPositiveDefinite();
      }
    }
  }

  const RowView& Fine() const { return levels_.front()->a; }

  // z = M r: one V-cycle from zero.
  void Apply(const std::vector<double>& r, std::vector<double>& z) {
    levels_.front()->b = r;
    Cycle(0);
    z = levels_.front()->x;
  }

 private:
  void Cycle(std::size_t index) {
    Level& l = *levels_[index];
    std::fill(l.x.begin(), l.x.end(), 0.0);
    if (index + 1 == levels_.size()) {
      const Eigen::Map<const Eigen::VectorXd> b(l.b.data(), l.a.n);
      Eigen::Map<Eigen::VectorXd>(l.x.data(), l.a.n) = direct_.solve(b);
      return;
    }
    for (int pass = 0; pass < kSmoothingPasses; ++pass) {
      GaussSeidel(l, l.x, l.b, true);
    }
    Multiply(l.a, l.x, l.r);
    for (std::size_t k = 0; k < l.r.size(); ++k) {
      l.r[k] = l.b[k] - l.r[k];
    }
    Level& c = *levels_[index + 1];
    std::fill(c.b.begin(), c.b.end(), 0.0);
    for (std::int32_t k = 0; k < l.p.n; ++k) {
      for (std::size_t e = l.p.start[static_cast<std::size_t>(k)];
           e < l.p.start[static_cast<std::size_t>(k) + 1]; ++e) {
        c.b[static_cast<std::size_t>(l.p.column[static_cast<std::size_t>(e)])] +=
            l.p.value[static_cast<std::size_t>(e)] * l.r[static_cast<std::size_t>(k)];
      }
    }
    Cycle(index + 1);
    for (std::int32_t k = 0; k < l.p.n; ++k) {
      double s = 0;
      for (std::size_t e = l.p.start[static_cast<std::size_t>(k)];
           e < l.p.start[static_cast<std::size_t>(k) + 1]; ++e) {
        s += l.p.value[static_cast<std::size_t>(e)] *
             c.x[static_cast<std::size_t>(l.p.column[static_cast<std::size_t>(e)])];
      }
      l.x[static_cast<std::size_t>(k)] += s;
    }
    for (int pass = 0; pass < kSmoothingPasses; ++pass) {
      GaussSeidel(l, l.x, l.b, false);
    }
  }

  std::vector<std::unique_ptr<Level>> levels_;
  Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>> direct_;
};

void RequireFinite(const std::vector<double>& v, const char* what) {
  for (const double x : v) {
    if (!std::isfinite(x)) {
      throw RunError(err::kOverflow, std::string("オーバーフローしました: ") + what + "。");
    }
  }
}

double Norm(const std::vector<double>& v) {
  return std::sqrt(Dot(v, v));
}

}  // namespace

ExactSolveResult SolveExact(const SparseMatrix& system, const std::vector<double>& b,
                            std::vector<double>& x, EventPump& events,
                            const std::function<void(std::int32_t, double)>& after_iteration) {
  RequireFinite(b, "RightSide");
  RequireFinite(x, "Solution");
  const std::int32_t nx = system.nx();
  const std::int32_t ny = nx == 0 ? 0 : system.size() / nx;
  ExactSolveResult result;
  const double b_norm = Norm(b);
  if (b_norm == 0) {
    // The minimiser of a positive definite system with a zero right side is zero.
    std::fill(x.begin(), x.end(), 0.0);
    return result;
  }
  Multigrid mg(system, nx, ny);
  const RowView& a = mg.Fine();
  const std::size_t n = x.size();
  std::vector<double> r(n), z(n), p(n), q(n);
  auto true_residual = [&] {
    Multiply(a, x, r);
    for (std::size_t k = 0; k < n; ++k) {
      r[k] = b[k] - r[k];
    }
    return Norm(r) / b_norm;
  };
  double relative = true_residual();
  mg.Apply(r, z);
  p = z;
  double rz = Dot(r, z);
  while (relative > kExactTolerance) {
    events.ProcessPendingEvents();
    if (events.CancelRequested()) {
      result.cancelled = true;
      return result;
    }
    if (result.iterations == kExactIterationLimit) {
      throw RunError(err::kOverflow, "最適化が収束しません: 共役勾配法を " +
                                         std::to_string(kExactIterationLimit) +
                                         " 回繰り返しても相対残差 " + RealText(relative) + " が " +
                                         RealText(kExactTolerance) +
                                         " を超えています。メッシュは変更していません。");
    }
    result.iterations += 1;
    Multiply(a, p, q);
    const double pq = Dot(p, q);
    if (!(pq > 0)) {
      if (!std::isfinite(pq)) {
        throw RunError(err::kOverflow, "オーバーフローしました: 共役勾配法の値が発散しました。");
      }
      NotPositiveDefinite();
    }
    const double alpha = rz / pq;
    for (std::size_t k = 0; k < n; ++k) {
      x[k] += alpha * p[k];
      r[k] -= alpha * q[k];
    }
    relative = Norm(r) / b_norm;
    if (!std::isfinite(relative)) {
      throw RunError(err::kOverflow, "オーバーフローしました: 共役勾配法の値が発散しました。");
    }
    if (relative <= kExactTolerance) {
      // The updated residual drifts from the true one: confirm, and go on from the true one.
      relative = true_residual();
      if (relative <= kExactTolerance) {
        if (after_iteration) {
          after_iteration(result.iterations, relative);
        }
        break;
      }
      mg.Apply(r, z);
      p = z;
      rz = Dot(r, z);
    } else {
      mg.Apply(r, z);
      const double rz_next = Dot(r, z);
      const double beta = rz_next / rz;
      rz = rz_next;
      for (std::size_t k = 0; k < n; ++k) {
        p[k] = z[k] + beta * p[k];
      }
    }
    if (after_iteration) {
      after_iteration(result.iterations, relative);
    }
  }
  result.residual = relative;
  return result;
}

}  // namespace ombrix
