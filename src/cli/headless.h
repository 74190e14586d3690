#pragma once
// A command context without a window: dialogs that only report on standard error, window
// operations on plain values, no events to process, workbooks (or rasters) read from files.

#include <functional>
#include <iostream>
#include <map>
#include <memory>

#include "contour/contour_calc.h"
#include "gis/mesh_file_opener.h"
#include "model/form_load.h"
#include "platform/command_context.h"
#include "platform/null_surface.h"
#include "platform/qt/qt_picture_loader.h"

namespace ombrix::cli {

class StderrDialogs : public Dialogs {
 public:
  void Message(std::string_view text, std::string_view title, MessageIcon) override;
  bool AskYesNo(std::string_view text, std::string_view title) override;
  std::string InputBox(std::string_view, std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> OpenFile(std::string_view, std::string_view = {}) override {
    return std::nullopt;
  }
};

class HeadlessWindowOps : public WindowOps {
 public:
  // Called when the drawing area is sized, with its new size in pixels.
  std::function<void(std::int32_t, std::int32_t)> on_area_size;

  ScreenInfo Screen() const override { return {1920 * 15.0, 1080 * 15.0, 15, 15}; }
  WindowRect Geometry(WindowId window) const override;
  void SetGeometry(WindowId window, const WindowRect& rect) override;
  void Show(WindowId) override {}
  void Hide(WindowId) override {}
  void KeepOnTop(WindowId) override {}
  void FocusMain() override {}
  void SetDrawingAreaSize(std::int32_t width, std::int32_t height) override;
  void SetMousePointer(MousePointer) override {}
  void ShowStatus(std::string_view) override {}

 private:
  std::map<WindowId, WindowRect> geometry_;
};

class NoEvents : public EventPump {
 public:
  void ProcessPendingEvents() override {}
  bool CancelRequested() const override { return false; }
  void ResetCancel() override {}
};

// Everything a command needs, owned in one place; the panel starts as a fresh window's.
struct HeadlessSession {
  explicit HeadlessSession(DrawingSurface& surface) : picture(surface) { FormLoad(model, window); }
  CommandContext Context() {
    CommandContext ctx{model, window, panel, picture, nullptr, dialogs, windows, events, workbooks};
    ctx.pictures = &picture_files;
    return ctx;
  }

  MeshModel model;
  MainWindowState window;
  PanelState panel;
  DrawingSurface& picture;
  StderrDialogs dialogs;
  HeadlessWindowOps windows;
  NoEvents events;
  gis::MeshFileOpener workbooks;  // workbooks, or rasters in their place
  qt::QtPictureLoader picture_files;
};

// Imports the mesh workbook and draws its map as the contour command does, on the session's
// surface; run-time errors are thrown.
void ImportAndDraw(CommandContext& ctx, const std::string& path, const ContourHooks& hooks = {});

// Draws the map of the mesh in the model as the contour command does.
void DrawLoadedMesh(CommandContext& ctx, const ContourHooks& hooks = {});

// Divides the drawn triangle list as the mesh division does (`divisions` - 1 passes) and draws
// the map again from it. A division too large for the list or the memory is a run-time error
// that says how many triangles it would make; the list is then unchanged.
void DivideAndRedraw(CommandContext& ctx, std::int32_t divisions, const ContourHooks& hooks = {});

}  // namespace ombrix::cli
