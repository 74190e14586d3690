#pragma once
// The two groups of menu items that behave like radio buttons. The mode variable of each
// group is the single source of truth; an item carries the check mark exactly when the mode
// holds its value.

#include <cstdint>

#include "model/mesh_model.h"

namespace ombrix {

enum class OptionItem {
  WeightedFivePoint,  // InitialValueMode 0
  Average,            // InitialValueMode 1
  InfomationDisp0,    // InfoDisplayMode 0
  InfomationDisp1,    // InfoDisplayMode 1
  InfomationDisp2,    // InfoDisplayMode 2
};

// Whether the item carries the check mark.
bool IsOptionChecked(const MeshModel& model, OptionItem item);

// A click on the item: a checked item stays as it is; otherwise the item's group takes the
// item's value. Returns true when the mode changed.
bool SelectOption(MeshModel& model, OptionItem item);

}  // namespace ombrix
