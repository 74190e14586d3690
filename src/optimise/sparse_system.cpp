#include "optimise/sparse_system.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "model/bounded_array.h"
#include "model/run_error.h"
#include "optimise/stencil_offsets.h"

namespace ombrix {
namespace {

constexpr const auto& kOffsets = kStencilOffsets;

}  // namespace

SparseMatrix::SparseMatrix(std::int32_t nx, std::int32_t ny) : nx_(nx) {
  const std::int64_t n = std::int64_t{nx} * ny;
  if (nx < 0 || ny < 0 || n > INT32_MAX) {
    throw RunError(err::kOverflow, "オーバーフローしました: 最適化する節点の数が大きすぎます。");
  }
  size_ = static_cast<std::int32_t>(n);
  const auto rows = static_cast<std::size_t>(n);
  bounds::CheckAllocation("SystemMatrix", rows * kOffsets.size(),
                          sizeof(double) + sizeof(std::int32_t));
  row_start_.reserve(rows + 1);
  diagonal_.reserve(rows);
  columns_.reserve(rows * kOffsets.size());
  row_start_.push_back(0);
  for (std::int32_t i = 1; i <= ny; ++i) {
    for (std::int32_t j = 1; j <= nx; ++j) {
      for (const auto& [di, dj] : kOffsets) {
        const std::int32_t r = i + di;
        const std::int32_t c = j + dj;
        if (r < 1 || r > ny || c < 1 || c > nx) {
          continue;
        }
        if (di == 0 && dj == 0) {
          diagonal_.push_back(columns_.size());
        }
        columns_.push_back((r - 1) * nx + c);
      }
      row_start_.push_back(columns_.size());
    }
  }
  values_.assign(columns_.size(), 0.0);
}

std::size_t SparseMatrix::Find(std::int32_t k, std::int32_t m) const {
  const auto first = columns_.begin() + static_cast<std::ptrdiff_t>(begin(k));
  const auto last = columns_.begin() + static_cast<std::ptrdiff_t>(end(k));
  const auto it = std::lower_bound(first, last, m);
  if (it == last || *it != m) {
    throw RunError(err::kSubscriptOutOfRange, "インデックスが有効範囲にありません: SystemMatrix(" +
                                                  std::to_string(k) + ", " + std::to_string(m) +
                                                  ") は結合のない節点の組です。");
  }
  return static_cast<std::size_t>(it - columns_.begin());
}

double SparseMatrix::At(std::int32_t k, std::int32_t m) const {
  const auto first = columns_.begin() + static_cast<std::ptrdiff_t>(begin(k));
  const auto last = columns_.begin() + static_cast<std::ptrdiff_t>(end(k));
  const auto it = std::lower_bound(first, last, m);
  if (it == last || *it != m) {
    return 0.0;
  }
  return values_[static_cast<std::size_t>(it - columns_.begin())];
}

}  // namespace ombrix
