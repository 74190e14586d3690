// The result window's texts: matrix rows with every zero written out, the right side after
// its gap, rows cut for display, the progress fields, and the listing order with its pauses.

#include "optimise/result_listings.h"

#include <gtest/gtest.h>

#include "fakes/fake_window_ops.h"
#include "fakes/recording_result_window.h"
#include "fakes/scripted_dialogs.h"
#include "optimise/system_terms.h"

namespace ombrix {
namespace {

TEST(MatrixRowText, EveryEntryAfterTwoBlanksZerosIncludedAlsoInTheListings) {
  SparseMatrix membrane(2, 2);
  FillMembrane(membrane, 1);
  // Node 1 (top left) has the right and lower neighbours; node 4 is diagonal to it.
  EXPECT_EQ(MatrixRowText(membrane, nullptr, 1), "   2  -1  -1   0");
  EXPECT_EQ(MatrixRowText(membrane, nullptr, 4), "   0  -1  -1   2");
  // The listing's rows count from 0, with the right side when it has one, cut when asked.
  const MatrixListing listing(membrane, {1, 2, 3, 4});
  EXPECT_EQ(listing.Count(), 4);
  EXPECT_EQ(listing.Row(3, kWholeRow), "   0  -1  -1   2      4");
  EXPECT_EQ(listing.Row(3, 5), "   0 ");
  EXPECT_EQ(VectorListing({-7.25}).Row(0, 3), "-7.");

  SparseMatrix half(3, 1);
  FillMembrane(half, 0.5);
  EXPECT_EQ(MatrixRowText(half, nullptr, 2), "  -0.5   1  -0.5");
  // The right side follows after five blanks.
  const std::vector<double> right = {2.5, -3, 0};
  EXPECT_EQ(MatrixRowText(half, &right, 2), "  -0.5   1  -0.5     -3");
}

TEST(MatrixRowText, ACutRowIsThePrefixOfTheWholeRow) {
  SparseMatrix system(7, 5);
  FillMembraneCurvature(system, 1.25, 0.75);
  std::vector<double> right(35);
  for (std::size_t k = 0; k < right.size(); ++k)
    right[k] = static_cast<double>(k) * -0.125;
  for (const std::int32_t k : {1, 9, 18, 35}) {
    const std::string whole = MatrixRowText(system, &right, k);
    for (std::size_t limit = 0; limit <= whole.size() + 2; ++limit) {
      ASSERT_EQ(MatrixRowText(system, &right, k, limit), whole.substr(0, limit))
          << "row " << k << " cut at " << limit;
    }
  }
}

TEST(ProgressTexts, PlainSweepCountAndTwelveDecimals) {
  EXPECT_EQ(ProgressTextsOf(1, 0.5).sweeps, "1");
  EXPECT_EQ(ProgressTextsOf(1871, 12.25).residual, "12.250000000000");
  EXPECT_EQ(ProgressTextsOf(7, 0).residual, "0.000000000000");
  EXPECT_EQ(ProgressTextsOf(7, 1234.5e-10).residual, "0.000000123450");
}

TEST(ResultListings, EachListingShowsTheWindowReplacesTheListAndWaits) {
  testing::RecordingResultWindow window;
  testing::FakeWindowOps windows;
  testing::ScriptedDialogs dialogs;
  ResultListings listings(window, windows, dialogs);

  SparseMatrix membrane(2, 1);
  FillMembrane(membrane, 1);
  listings.ListMembrane(membrane);
  // Later changes to the run's own matrix do not reach the listing already shown.
  membrane.value(0) = 99;
  listings.ListSolution({1.5, -0.0, 2});

  ASSERT_EQ(window.listings.size(), 2u);
  EXPECT_EQ(window.listings[0], (std::vector<std::string>{"   1  -1", "  -1   1"}));
  EXPECT_EQ(window.listings[1], (std::vector<std::string>{" 1.5", " 0", " 2"}));
  EXPECT_EQ(windows.log, (std::vector<std::string>{"Show Result", "Show Result"}));
  ASSERT_EQ(dialogs.messages.size(), 2u);
  for (const testing::ShownMessage& m : dialogs.messages) {
    EXPECT_EQ(m.text, "Wait");
    EXPECT_EQ(m.title, "ombrix");
    EXPECT_EQ(m.icon, MessageIcon::None);
  }
}

}  // namespace
}  // namespace ombrix
