#include "model/option_groups.h"

#include "model/modes.h"

namespace ombrix {
namespace {

struct Binding {
  std::int32_t MeshModel::*mode;
  std::int32_t value;
};

Binding BindingOf(OptionItem item) {
  switch (item) {
    case OptionItem::WeightedFivePoint:
      return {&MeshModel::InitialValueMode, kInitialWeightedFivePoint};
    case OptionItem::Average:
      return {&MeshModel::InitialValueMode, kInitialAverage};
    case OptionItem::InfomationDisp0:
      return {&MeshModel::InfoDisplayMode, kInfoNone};
    case OptionItem::InfomationDisp1:
      return {&MeshModel::InfoDisplayMode, kInfoAll};
    case OptionItem::InfomationDisp2:
      return {&MeshModel::InfoDisplayMode, kInfoResidual};
  }
  return {&MeshModel::InitialValueMode, kInitialWeightedFivePoint};
}

}  // namespace

bool IsOptionChecked(const MeshModel& model, OptionItem item) {
  const Binding binding = BindingOf(item);
  return model.*binding.mode == binding.value;
}

bool SelectOption(MeshModel& model, OptionItem item) {
  if (IsOptionChecked(model, item)) {
    return false;
  }
  const Binding binding = BindingOf(item);
  model.*binding.mode = binding.value;
  return true;
}

}  // namespace ombrix
