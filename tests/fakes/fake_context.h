#pragma once
// A whole command environment made of fakes, for driving core commands in tests.

#include "fakes/fake_picture_loader.h"
#include "fakes/fake_window_ops.h"
#include "fakes/memory_workbook.h"
#include "fakes/recording_surface.h"
#include "fakes/scripted_dialogs.h"
#include "model/form_load.h"
#include "platform/command_context.h"

namespace ombrix::testing {

struct FakeEnvironment {
  FakeEnvironment() { FormLoad(model, window); }

  CommandContext Context() {
    CommandContext ctx{model,   window,  panel,  picture,  &printer,
                       dialogs, windows, events, workbooks};
    ctx.pictures = &pictures;
    return ctx;
  }

  MeshModel model;
  MainWindowState window;
  PanelState panel;
  RecordingSurface picture;
  RecordingSurface printer;
  ScriptedDialogs dialogs;
  FakeWindowOps windows;
  FakeEventPump events;
  MemoryWorkbookOpener workbooks;
  FakePictureLoader pictures;
};

}  // namespace ombrix::testing
