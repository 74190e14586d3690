#include "model/form_load.h"

#include "model/modes.h"

namespace ombrix {

void FormLoad(MeshModel& model, MainWindowState& window) {
  model.MapLoaded = 0;
  model.InitialValueMode = kInitialWeightedFivePoint;
  model.InfoDisplayMode = kInfoNone;
  model.ColorIndexMode = kRelativeColorIndex;
  window.MinFormWidth = kMinFormWidth;
}

}  // namespace ombrix
