#include "model/option_groups.h"

#include <gtest/gtest.h>

#include "model/form_load.h"
#include "model/modes.h"

namespace ombrix {
namespace {

TEST(FormLoad, SetsTheModesAndTheSmallestWindowWidth) {
  MeshModel model;
  MainWindowState window;
  model.MapLoaded = 1;
  model.InitialValueMode = 1;
  model.InfoDisplayMode = 2;
  model.ColorIndexMode = 1;
  FormLoad(model, window);
  EXPECT_EQ(model.MapLoaded, 0);
  EXPECT_EQ(model.InitialValueMode, 0);
  EXPECT_EQ(model.InfoDisplayMode, 0);
  EXPECT_EQ(model.ColorIndexMode, 0);
  // The smallest window width shows in the shrink tests' raised widths, the other items' checks
  // in the selections below.
  EXPECT_TRUE(IsOptionChecked(model, OptionItem::InfomationDisp0));
}

TEST(OptionGroups, ACheckedItemStaysAndAnotherTakesItsGroup) {
  MeshModel model;
  MainWindowState window;
  FormLoad(model, window);
  EXPECT_FALSE(SelectOption(model, OptionItem::WeightedFivePoint));
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
