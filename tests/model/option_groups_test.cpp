#include "model/option_groups.h"

#include <gtest/gtest.h>

#include <tuple>

#include "model/form_load.h"
#include "model/modes.h"

namespace ombrix {
namespace {

// The smallest window width FormLoad sets shows in the shrink tests' raised widths.
TEST(OptionGroups, FormLoadChecksTheFirstItemsAndAnotherItemTakesItsGroup) {
  MeshModel model;
  MainWindowState window;
  model.MapLoaded = 1;
  model.InitialValueMode = 1;
  model.InfoDisplayMode = 2;
  model.ColorIndexMode = 1;
  FormLoad(model, window);
  EXPECT_EQ(std::tuple(model.MapLoaded, model.InitialValueMode, model.InfoDisplayMode,
                       model.ColorIndexMode),
            std::tuple(0, 0, 0, 0));
  EXPECT_TRUE(IsOptionChecked(model, OptionItem::InfomationDisp0));
  EXPECT_FALSE(SelectOption(model, OptionItem::WeightedFivePoint));  // a checked item stays
  EXPECT_TRUE(SelectOption(model, OptionItem::Average));
  EXPECT_EQ(model.InitialValueMode, kInitialAverage);
  EXPECT_FALSE(SelectOption(model, OptionItem::Average));

  EXPECT_TRUE(SelectOption(model, OptionItem::InfomationDisp1));
  EXPECT_TRUE(SelectOption(model, OptionItem::InfomationDisp2));
  EXPECT_EQ(model.InfoDisplayMode, kInfoResidual);
  EXPECT_FALSE(IsOptionChecked(model, OptionItem::InfomationDisp1));
  // The groups are independent.
  EXPECT_EQ(model.InitialValueMode, kInitialAverage);
}

}  // namespace
}  // namespace ombrix
