#include "import/plot_frame.h"

#include <cmath>

#include "model/messages.h"
#include "model/numeric.h"
#include "model/run_error.h"

namespace ombrix {
std::int32_t PanelWholeNumber(const std::string& text, const char* caption) {
  double value = 0;
  try {
    value = TextToNumber(text);
  } catch (const RunError&) {
    throw RunError(err::kTypeMismatch,
                   std::string(caption) + " の値 \"" + text + "\" は数値ではありません。");
  }
  try {
    return ToLong(value);
  } catch (const RunError&) {
    throw RunError(err::kOverflow,
                   std::string(caption) + " の値 \"" + text + "\" は 32 ビット整数の範囲外です。");
  }
}

PlotFrameSetup ComputePlotFrame(const BoundedArray<double>& node_x,
                                const BoundedArray<double>& node_y, std::int32_t node_count_x,
                                std::int32_t node_count_y, const PanelState& panel) {
  PlotFrameSetup setup;
  setup.RangeX = node_x(node_count_x) - node_x(1);
  setup.RangeY = node_y(1) - node_y(node_count_y);
  PanelWholeNumber(panel.Text1, "Interval");  // only checks that the interval is a number
  const std::int32_t width = PanelWholeNumber(panel.Text2, "LineWidth");
  if (width < 1) {
    return setup;
  }
  setup.line_width_ok = true;
  if (width > 32767) {
    throw RunError(err::kOverflow,
                   "LineWidth の値 " + std::to_string(width) + " は 16 ビット整数の範囲外です。");
  }
  setup.line_width = static_cast<std::int16_t>(width);
  // The product first, then the division, as doubles.
  if (setup.RangeX > setup.RangeY) {
    setup.FrameWidth = kFrameLongSideX;
    setup.FrameHeight =
        ToLong(CheckedDivide(setup.RangeY * kFrameLongSideX, setup.RangeX, "枠の高さ"));
  } else {
    setup.FrameHeight = kFrameLongSideY;
    setup.FrameWidth =
        ToLong(CheckedDivide(setup.RangeX * kFrameLongSideY, setup.RangeY, "枠の幅"));
  }
  setup.FrameLeft = kFrameLeft;
  setup.FrameTop = kFrameTop;
  return setup;
}

void ApplyPlotFrame(CommandContext& ctx, const PlotFrameSetup& setup) {
  MeshModel& m = ctx.model;
  m.RangeX = setup.RangeX;
  m.RangeY = setup.RangeY;
  if (!setup.line_width_ok) {
    ctx.dialogs.Message(msg::kLineWidthTooSmall, msg::kErrorReportTitle);
    return;
  }
  ctx.picture.SetDrawWidth(setup.line_width);
  if (ctx.printer != nullptr) {
    ctx.printer->SetDrawWidth(setup.line_width);
  }
  m.FrameWidth = setup.FrameWidth;
  m.FrameHeight = setup.FrameHeight;
  m.FrameLeft = setup.FrameLeft;
  m.FrameTop = setup.FrameTop;
  ctx.picture.SetScale(0, 0, m.FrameWidth, m.FrameHeight);
  ctx.windows.SetDrawingAreaSize(m.FrameWidth + 70, m.FrameHeight + 50);
  const ScreenInfo screen = ctx.windows.Screen();
  WindowRect main = ctx.windows.Geometry(WindowId::Main);
  main.width = (m.FrameWidth + 120) * screen.twips_per_pixel_x;
  main.height = (m.FrameHeight + 210) * screen.twips_per_pixel_y;
  if (main.width < kMinMainWindowTwips) {
    main.width = kMinMainWindowTwips;
  }
  ctx.windows.SetGeometry(WindowId::Main, main);
  ctx.windows.KeepOnTop(WindowId::Legend);
  ctx.windows.FocusMain();
}

void SetPlotFrame(CommandContext& ctx) {
  ApplyPlotFrame(ctx, ComputePlotFrame(ctx.model.NodeX, ctx.model.NodeY, ctx.model.NodeCountX,
                                       ctx.model.NodeCountY, ctx.panel));
}

}  // namespace ombrix
