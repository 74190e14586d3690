#include "model/option_groups.h"

#include <gtest/gtest.h>

#include <tuple>

#include "model/form_load.h"

namespace ombrix {
namespace {

// FormLoad's minimum width shows in the shrink tests; picking items, in the main window's.
TEST(OptionGroups, FormLoadChecksTheFirstItemOfEveryGroup) {
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
}

}  // namespace
}  // namespace ombrix
