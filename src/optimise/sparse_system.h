#pragma once
// The optimiser's system matrix kept by rows, with room only for the couplings a mesh node can
// have: itself, its neighbours one and two steps along a row or column, and its four diagonal
// neighbours (13 at most). Entries of a row are kept in increasing column order, so a row sum
// taken entry by entry adds the terms in the same order as a loop over every column would;
// the columns left out hold 0 and add nothing.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ombrix {

class SparseMatrix {
 public:
  // The stencil pattern of an nx-by-ny mesh (node k = (i - 1) * nx + j, numbered from 1),
  // every entry 0.
  SparseMatrix(std::int32_t nx, std::int32_t ny);

  std::int32_t size() const { return size_; }
  std::int32_t nx() const { return nx_; }

  // Positions of row k's entries (k from 1): begin(k) .. end(k) - 1.
  std::size_t begin(std::int32_t k) const { return row_start_[static_cast<std::size_t>(k - 1)]; }
  std::size_t end(std::int32_t k) const { return row_start_[static_cast<std::size_t>(k)]; }
  std::size_t diagonal(std::int32_t k) const { return diagonal_[static_cast<std::size_t>(k - 1)]; }
  // Column (from 1) of the entry at a position.
  std::int32_t column(std::size_t position) const { return columns_[position]; }
  double& value(std::size_t position) { return values_[position]; }
  double value(std::size_t position) const { return values_[position]; }

  // Position of entry (k, m); the pair must lie in the pattern.
  std::size_t Find(std::int32_t k, std::int32_t m) const;
  // Entry (k, m), 0 outside the pattern.
  double At(std::int32_t k, std::int32_t m) const;

  std::size_t entries() const { return values_.size(); }
  // The arrays behind the accessors above, for solvers that walk every row: size() + 1 row
  // starts, and entries() columns and values.
  const std::size_t* row_starts() const { return row_start_.data(); }
  const std::int32_t* columns() const { return columns_.data(); }
  const double* values() const { return values_.data(); }

 private:
  std::int32_t nx_ = 0;
  std::int32_t size_ = 0;
  std::vector<std::size_t> row_start_;
  std::vector<std::size_t> diagonal_;
  std::vector<std::int32_t> columns_;
  std::vector<double> values_;
};

}  // namespace ombrix
