#pragma once
// The plot frame a fresh window fits to the model's mesh, stored in the model without drawing
// anything: the set-up most drawing tests start from.

#include "import/plot_frame.h"
#include "model/mesh_model.h"
#include "model/panel_state.h"

namespace ombrix::testing {

inline void FitPlotFrame(MeshModel& m) {
  const PlotFrameSetup frame =
      ComputePlotFrame(m.NodeX, m.NodeY, m.NodeCountX, m.NodeCountY, PanelState{});
  m.RangeX = frame.RangeX;
  m.RangeY = frame.RangeY;
  m.FrameLeft = frame.FrameLeft;
  m.FrameTop = frame.FrameTop;
  m.FrameWidth = frame.FrameWidth;
  m.FrameHeight = frame.FrameHeight;
}

}  // namespace ombrix::testing
