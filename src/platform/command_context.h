#pragma once
// Everything a command works with: the model, the panel as it stood when the command
// started, and the platform behind its interfaces.

#include "model/main_window_state.h"
#include "model/mesh_model.h"
#include "model/panel_state.h"
#include "platform/dialogs.h"
#include "platform/drawing_surface.h"
#include "platform/event_pump.h"
#include "platform/picture_loader.h"
#include "platform/printer.h"
#include "platform/result_window.h"
#include "platform/window_ops.h"
#include "platform/workbook.h"
#include "platform/workbook_writer.h"

namespace ombrix {

struct CommandContext {
  MeshModel& model;
  MainWindowState& window;
  PanelState panel;
  DrawingSurface& picture;  // the drawing area
  Printer* printer;         // nullptr where no printer exists
  Dialogs& dialogs;
  WindowOps& windows;
  EventPump& events;
  WorkbookOpener& workbooks;
  DrawingSurface* legend = nullptr;  // the legend window's drawing; nullptr where none exists
  ResultWindow* result = nullptr;    // the optimiser's result window; nullptr where none exists
  WorkbookWriter* writer = nullptr;  // writes cells back into workbook files
  // Reads picture files; nullptr where none can be read.
  PictureLoader* pictures = nullptr;
};

// Sets the hourglass pointer for its lifetime and the default one after, on every path.
class BusyPointer {
 public:
  explicit BusyPointer(WindowOps& windows) : windows_(windows) {
    windows_.SetMousePointer(MousePointer::Hourglass);
  }
  ~BusyPointer() { windows_.SetMousePointer(MousePointer::Default); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

 private:
  WindowOps& windows_;
};

}  // namespace ombrix
