#pragma once
// Start-up of the main window: the modes and the few variables set before any command.

#include "model/main_window_state.h"
#include "model/mesh_model.h"

namespace ombrix {

void FormLoad(MeshModel& model, MainWindowState& window);

}  // namespace ombrix
