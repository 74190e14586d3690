#pragma once
// The optimiser's listings and progress as the result window shows them. The rows of a
// listing are copies of the matrices taken when it is listed (the run goes on changing its
// own), turned into text only when the window shows them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "optimise/optimize_listings.h"
#include "optimise/sparse_system.h"
#include "platform/dialogs.h"
#include "platform/result_window.h"
#include "platform/window_ops.h"

namespace ombrix {

inline constexpr std::size_t kWholeRow = static_cast<std::size_t>(-1);

// Row k (from 1): for every column m = 1..N, two blanks and NumberText of entry (k, m), zeros
// included; then, when `right_side` is given, five blanks and NumberText of its entry k. Stops
// once the text reaches `max_chars` characters (cut there).
std::string MatrixRowText(const SparseMatrix& matrix, const std::vector<double>* right_side,
                          std::int32_t k, std::size_t max_chars = kWholeRow);

// The rows of a matrix listing, with the right side after each row when it has one.
class MatrixListing : public ListingRows {
 public:
  explicit MatrixListing(SparseMatrix matrix, std::vector<double> right_side = {});
  std::int32_t Count() const override { return matrix_.size(); }
  std::string Row(std::int32_t index, std::size_t max_chars) const override;

 private:
  SparseMatrix matrix_;
  std::vector<double> right_side_;  // empty: rows without a right side
};

// One row per value: NumberText of the value.
class VectorListing : public ListingRows {
 public:
  explicit VectorListing(std::vector<double> values) : values_(std::move(values)) {}
  std::int32_t Count() const override { return static_cast<std::int32_t>(values_.size()); }
  std::string Row(std::int32_t index, std::size_t max_chars) const override;

 private:
  std::vector<double> values_;
};

// The progress fields: the sweep count as a plain integer, the largest change with twelve
// decimals.
struct ProgressTexts {
  std::string sweeps;
  std::string residual;
};
ProgressTexts ProgressTextsOf(std::int32_t sweep_count, double max_change);
// The exact solver's progress in the same fields: the iteration count, and the relative
// residual in its shortest form (twelve decimals would show 0 long before it is reached).
ProgressTexts IterationTextsOf(std::int32_t iterations, double residual);

// The four listings in the result window: each shows the window, replaces the list and then
// waits for the user to close the "Wait" message.
class ResultListings : public OptimizeListings {
 public:
  ResultListings(ResultWindow& window, WindowOps& windows, Dialogs& dialogs)
      : window_(window), windows_(windows), dialogs_(dialogs) {}

  void ListMembrane(const SparseMatrix& membrane) override;
  void ListMembraneCurvature(const SparseMatrix& system) override;
  void ListData(const SparseMatrix& weighted_data, const std::vector<double>& right_side) override;
  void ListSolution(const std::vector<double>& solution) override;

 private:
  void List(std::shared_ptr<const ListingRows> rows);

  ResultWindow& window_;
  WindowOps& windows_;
  Dialogs& dialogs_;
};

}  // namespace ombrix
