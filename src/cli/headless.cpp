#include "cli/headless.h"

#include "contour/mesh_division.h"
#include "contour/triangle_list.h"
#include "import/mesh_import.h"
#include "model/run_error.h"

namespace ombrix::cli {

void StderrDialogs::Message(std::string_view text, std::string_view title, MessageIcon) {
  std::cerr << "ombrix: " << title << ": " << text << '\n';
}

bool StderrDialogs::AskYesNo(std::string_view text, std::string_view title) {
  std::cerr << "ombrix: " << title << ": " << text << " (answered no: no one to ask)\n";
  return false;
}

WindowRect HeadlessWindowOps::Geometry(WindowId window) const {
  const auto it = geometry_.find(window);
  return it == geometry_.end() ? WindowRect{} : it->second;
}

void HeadlessWindowOps::SetGeometry(WindowId window, const WindowRect& rect) {
  geometry_[window] = rect;
}

void HeadlessWindowOps::SetDrawingAreaSize(std::int32_t width, std::int32_t height) {
  if (on_area_size) {
    on_area_size(width, height);
  }
}

void ImportAndDraw(CommandContext& ctx, const std::string& path, const ContourHooks& hooks) {
  ImportMesh(ctx, path);
  DrawLoadedMesh(ctx, hooks);
}

void DrawLoadedMesh(CommandContext& ctx, const ContourHooks& hooks) {
  BuildTriangleList(ctx.model);
  ctx.window.DividedMesh = 0;
  ContourCalc(ctx, hooks);
}

void DivideAndRedraw(CommandContext& ctx, std::int32_t divisions, const ContourHooks& hooks) {
  const std::string refusal =
      DivisionRefusal(ctx.model.TriangleCount, divisions, AvailableMemoryBytes());
  if (!refusal.empty()) {
    throw RunError(err::kOutOfMemory, refusal);
  }
  DivideTriangles(ctx.model, divisions);
  ctx.window.DividedMesh = 1;
  ContourCalc(ctx, hooks);
}

}  // namespace ombrix::cli
