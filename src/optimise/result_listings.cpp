#include "optimise/result_listings.h"

#include <utility>

#include "model/messages.h"
#include "model/numeric.h"

namespace ombrix {
namespace {

constexpr std::string_view kColumnGap = "  ";
constexpr std::string_view kRightSideGap = "     ";
// A zero entry: the gap, the blank of a non-negative number and the digit.
constexpr std::string_view kZeroEntry = "   0";
constexpr std::string_view kWait = "Wait";

}  // namespace

std::string MatrixRowText(const SparseMatrix& matrix, const std::vector<double>* right_side,
                          std::int32_t k, std::size_t max_chars) {
  std::string text;
  // Most entries of a row are zeros outside the stencil: write them in runs up to the next
  // stored column.
  std::int32_t next = 1;
  const std::int32_t n = matrix.size();
  auto zeros_until = [&](std::int32_t column) {
    for (; next < column && text.size() < max_chars; ++next) {
      text += kZeroEntry;
    }
  };
  for (std::size_t e = matrix.begin(k); e < matrix.end(k) && text.size() < max_chars; ++e) {
    zeros_until(matrix.column(e));
    if (text.size() >= max_chars) {
      break;
    }
    text += kColumnGap;
    text += NumberText(matrix.value(e));
    next = matrix.column(e) + 1;
  }
  zeros_until(n + 1);
  if (right_side != nullptr && text.size() < max_chars) {
    text += kRightSideGap;
    text += NumberText((*right_side)[static_cast<std::size_t>(k - 1)]);
  }
  if (text.size() > max_chars) {
    text.resize(max_chars);
  }
  return text;
}

MatrixListing::MatrixListing(SparseMatrix matrix, std::vector<double> right_side)
    : matrix_(std::move(matrix)), right_side_(std::move(right_side)) {}

std::string MatrixListing::Row(std::int32_t index, std::size_t max_chars) const {
  return MatrixRowText(matrix_, right_side_.empty() ? nullptr : &right_side_, index + 1, max_chars);
}

std::string VectorListing::Row(std::int32_t index, std::size_t max_chars) const {
  std::string text = NumberText(values_[static_cast<std::size_t>(index)]);
  if (text.size() > max_chars) {
    text.resize(max_chars);
  }
  return text;
}

ProgressTexts ProgressTextsOf(std::int32_t sweep_count, double max_change) {
  return {std::to_string(sweep_count), FormatFixed12(max_change)};
}

ProgressTexts IterationTextsOf(std::int32_t iterations, double residual) {
  return {std::to_string(iterations), RealText(residual)};
}

void ResultListings::List(std::shared_ptr<const ListingRows> rows) {
  windows_.Show(WindowId::Result);
  window_.ShowListing(std::move(rows));
  dialogs_.Message(kWait, msg::kApplicationTitle);
}

void ResultListings::ListMembrane(const SparseMatrix& membrane) {
  List(std::make_shared<MatrixListing>(membrane));
}

void ResultListings::ListMembraneCurvature(const SparseMatrix& system) {
  List(std::make_shared<MatrixListing>(system));
}

void ResultListings::ListData(const SparseMatrix& weighted_data,
                              const std::vector<double>& right_side) {
  List(std::make_shared<MatrixListing>(weighted_data, right_side));
}

void ResultListings::ListSolution(const std::vector<double>& solution) {
  List(std::make_shared<VectorListing>(solution));
}

}  // namespace ombrix
