#include "view/view_shrink.h"

#include <charconv>
#include <cmath>
#include <optional>

#include "import/plot_frame.h"
#include "model/messages.h"
#include "model/numeric.h"
#include "model/run_error.h"

namespace ombrix {
namespace {

// Room around the frame: in the drawing area, and in the window around the drawing area.
constexpr std::int32_t kAreaExtraWidth = 70;
constexpr std::int32_t kAreaExtraHeight = 50;
constexpr std::int32_t kWindowExtraWidth = 140;
constexpr std::int32_t kWindowExtraHeight = 260;

std::string_view TrimSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A text that is one number as a whole, rounded once, straight from its decimal digits, to
// single precision (through a double it could be rounded twice). Nothing for anything else,
// and for a number beyond the single-precision range.
std::optional<float> SingleFromText(std::string_view text) {
  try {
    TextToNumber(text);  // the shape: blanks around one plain decimal number
  } catch (const RunError&) {
    return std::nullopt;
  }
  std::string_view body = text;
  body.remove_prefix(body.find_first_not_of(" \t\r\n"));
  body = body.substr(0, body.find_last_not_of(" \t\r\n") + 1);
  bool negative = false;
  if (body.front() == '+' || body.front() == '-') {
    negative = body.front() == '-';
    body.remove_prefix(1);
  }
  float magnitude = 0;
  const auto result = std::from_chars(body.data(), body.data() + body.size(), magnitude,
                                      std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Too small for a single reads as 0; too large is no factor at all.
    const std::size_t e = body.find_first_of("eE");
    if (e == std::string_view::npos || e + 1 >= body.size() || body[e + 1] != '-') {
      return std::nullopt;
    }
    magnitude = 0;
  } else if (result.ec != std::errc() || result.ptr != body.data() + body.size()) {
    return std::nullopt;
  }
  return negative ? -magnitude : magnitude;
}

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

// A side times the factor, to the nearest pixel with halves to even; nothing when outside
// 1..kMaxShrunkFrameSide (a NaN or an infinite product included).
std::optional<std::int32_t> ScaledSide(float factor, std::int32_t side, double& product) {
  product = static_cast<double>(factor) * side;
  const double rounded = std::nearbyint(product);
  if (!(rounded >= 1 && rounded <= kMaxShrunkFrameSide)) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(rounded);
}

}  // namespace

ShrinkFactor ParseShrinkFactor(std::string_view text3) {
  const std::string_view s = TrimSpaces(text3);
  const std::string_view::size_type slash = s.find('/');
  const std::string not_a_number = "縮小率 " + Quoted(text3) + " は数値として読めません。\r" +
                                   std::string(msg::kShrinkFactorRule);
  if (slash == std::string_view::npos) {
    const std::optional<float> value = SingleFromText(s);
    if (!value) {
      return {0, not_a_number};
    }
    return {*value, {}};
  }
  const std::optional<float> numerator = SingleFromText(s.substr(0, slash));
  const std::optional<float> denominator = SingleFromText(s.substr(slash + 1));
  if (!numerator || !denominator) {
    return {0, not_a_number};
  }
  if (*denominator == 0) {
    return {0, "縮小率 " + Quoted(text3) + ": " + std::string(msg::kShrinkDivisorZero)};
  }
  const float quotient = *numerator / *denominator;  // a single divided by a single stays single
  return {quotient, {}};
}

ShrunkFrame ShrinkFrame(std::string_view text3, std::int32_t frame_width,
                        std::int32_t frame_height) {
  ShrunkFrame frame;
  const ShrinkFactor factor = ParseShrinkFactor(text3);
  if (!factor.refusal.empty()) {
    frame.refusal = factor.refusal;
    return frame;
  }
  frame.factor = factor.value;
  double width_product = 0;
  double height_product = 0;
  const std::optional<std::int32_t> width = ScaledSide(factor.value, frame_width, width_product);
  const std::optional<std::int32_t> height = ScaledSide(factor.value, frame_height, height_product);
  if (!width || !height) {
    frame.refusal = "縮小率 " + Quoted(text3) + " では枠が " +
                    RealText(std::nearbyint(width_product)) + " × " +
                    RealText(std::nearbyint(height_product)) + " ピクセルになります。\r" +
                    std::string(msg::kShrinkFrameRule);
    return frame;
  }
  frame.FrameWidth = *width;
  frame.FrameHeight = *height;
  return frame;
}

void Command1_Click(CommandContext& ctx) {
  MeshModel& m = ctx.model;
  if (m.FrameWidth == 0 && m.FrameHeight == 0) {
    // No mesh has set a frame yet: there is nothing to shrink.
    ctx.dialogs.Message(msg::kNoData, msg::kErrorReportTitle);
    return;
  }
  const ShrunkFrame frame = ShrinkFrame(ctx.panel.Text3, m.FrameWidth, m.FrameHeight);
  if (!frame.refusal.empty()) {
    ctx.dialogs.Message(frame.refusal, msg::kErrorReportTitle);
    return;
  }
  m.FrameWidth = frame.FrameWidth;
  m.FrameHeight = frame.FrameHeight;
  m.FrameLeft = kFrameLeft;
  m.FrameTop = kFrameTop;
  ctx.picture.SetScale(0, 0, m.FrameWidth, m.FrameHeight);
  ctx.windows.SetDrawingAreaSize(m.FrameWidth + kAreaExtraWidth, m.FrameHeight + kAreaExtraHeight);

  // The window's size is a single-precision number of twips, and so is the screen's twips
  // per pixel.
  const ScreenInfo screen = ctx.windows.Screen();
  const float twips_x = static_cast<float>(screen.twips_per_pixel_x);
  const float twips_y = static_cast<float>(screen.twips_per_pixel_y);
  WindowRect main = ctx.windows.Geometry(WindowId::Main);
  main.width = static_cast<float>(m.FrameWidth + kWindowExtraWidth) * twips_x;
  main.height = static_cast<float>(m.FrameHeight + kWindowExtraHeight) * twips_y;
  ctx.windows.SetGeometry(WindowId::Main, main);
  // Compared with the width the window really got, which the platform may have changed.
  const float min_width = static_cast<float>(ctx.window.MinFormWidth) * twips_x;
  WindowRect now = ctx.windows.Geometry(WindowId::Main);
  if (min_width > now.width) {
    now.width = min_width;
    ctx.windows.SetGeometry(WindowId::Main, now);
  }
}

}  // namespace ombrix
