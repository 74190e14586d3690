#include "contour/printer_copy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "contour/contour_calc.h"
#include "contour/contour_command.h"
#include "contour_fixture.h"
#include "fakes/error_capture.h"
#include "fakes/fake_context.h"
#include "model/modes.h"
#include "model/numeric.h"

namespace ombrix {
namespace {

using testing::FakeEnvironment;
using testing::RecordingSurface;
using testing::Split;
using testing::Starting;
using Calls = std::vector<std::string>;

// A 2 x 2 mesh with levels 5 (labelled, red) and 6, to be drawn in `mode` as asked.
void Prepare(FakeEnvironment& env, double width, double height, std::int32_t mode,
             bool outline = false, bool print = true) {
  testing::MakeMesh(env, {0, width}, {height, 0}, {{4.5, 6.5}, {4.5, 6.5}});
  env.panel.Option1 = mode == kColorNothing;
  env.panel.Option2 = mode == kColorEasy;
  env.panel.Option3 = mode == kColorNormal;
  env.panel.Check1 = outline ? 1 : 0;
  env.panel.Check4 = print ? 1 : 0;
}

ContourOutcome Draw(FakeEnvironment& env) {
  CommandContext ctx = env.Context();
  return ContourCalc(ctx);
}

// A screen polygon as the Normal-mode printer gets it: every corner scaled and rounded.
std::string ScaledPolygon(const std::string& call, double factor) {
  std::istringstream in(call.substr(7));
  std::string out = "Polygon";
  int x = 0, y = 0;
  char comma = 0;
  while (in >> x >> comma >> y) {
    out += " " + std::to_string(static_cast<int>(std::nearbyint(factor * x))) + "," +
           std::to_string(static_cast<int>(std::nearbyint(factor * y)));
  }
  return out;
}

// A screen segment as the Normal-mode printer gets it: scaled, in the printer's colour.
std::string ScaledSegment(const std::string& call, double factor) {
  std::istringstream in(call.substr(5));
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  std::string colour;
  in >> x1 >> y1 >> x2 >> y2 >> colour;
  const std::string printed = colour == "#ff0000" ? "#ffff00" : "#ffffff";
  return "Line " + RealText(factor * x1) + " " + RealText(factor * y1) + " " +
         RealText(factor * x2) + " " + RealText(factor * y2) + " " + printed;
}

// The screen's picture with the printer off, for comparison with a printed run.
Calls ScreenWithoutPrinting(double width, double height, std::int32_t mode, bool outline) {
  FakeEnvironment env;
  Prepare(env, width, height, mode, outline, false);
  Draw(env);
  return env.picture.calls;
}

TEST(PrinterCopy, NothingModePrintsScreenColoursOnAPageScaledToPictureUnits) {
  FakeEnvironment env;
  Prepare(env, 10, 10, kColorNothing);  // a 600 x 600 frame at (30, 20), 60 pixels a unit
  ASSERT_EQ(Draw(env), ContourOutcome::Drawn);
  // The fake page is 800 x 600 pixels at 96 dpi: 12000 x 9000 twips, 800 x 600 picture pixels
  // at the screen's 15 twips a pixel.
  // Coordinate labels keep the colour the printer last had.
  const Calls want = Split(
      "DrawWidth 1;FontSize 16;ScaleMode 2;Scale 0 0 800 600;Box 30 20 630 620 #f0f000;"
      "Line 181 469 181 169 #ff0000;CurrentX 181;CurrentY 469;ForeColor #009600;Print \" 5\";"
      "Line 181 19 181 169 #ff0000;Line 181 619 181 469 #ff0000;Line 481 19 481 169 #0000ff;"
      "Line 481 469 481 169 #0000ff;Line 481 619 481 469 #0000ff;"
      "CurrentX 29;CurrentY 624;Print \" 0\";CurrentX 615;CurrentY 624;Print \" 10\";"
      "CurrentX 4;CurrentY 14;Print \" 10\";CurrentX 4;CurrentY 607;Print \" 0\";EndDoc");
  EXPECT_EQ(env.printer.calls, want);
  EXPECT_EQ(env.picture.calls, ScreenWithoutPrinting(10, 10, kColorNothing, false));
}

TEST(PrinterCopy, PageSizeIsReadInThePrintersCurrentScale) {
  RecordingSurface printer;  // 800 x 600 pixels at 96 dpi
  printer.SetScale(0, 0, 2, 3);
  const PageInPictureUnits user = PageSizeInPictureUnits(printer, 15, 15);
  EXPECT_EQ(std::pair(user.width, user.height), std::pair(800, 600));
  printer.SetScaleMode(ScaleMode::Points);
  const PageInPictureUnits twips = PageSizeInPictureUnits(printer, 1, 2);
  EXPECT_EQ(std::pair(twips.width, twips.height), std::pair(12000, 4500));
}

TEST(PrinterCopy, EasyModePrintsShadesOutlineSidesAndLightLines) {
  FakeEnvironment env;
  Prepare(env, 10, 10, kColorEasy, true);
  ASSERT_EQ(Draw(env), ContourOutcome::Drawn);
  const Calls& printed = env.printer.calls;
  ASSERT_GE(printed.size(), 4u);
  EXPECT_EQ(Calls(printed.begin(), printed.begin() + 4),
            Split("DrawWidth 1;FontSize 16;ScaleMode 2;Box 30 20 630 620 #f0f000"));
  // The outline: only each triangle's first side, in yellow, at the screen's coordinates. Then
  // level 5 highlighted in yellow, level 6 white.
  Calls want;
  const Calls screen_lines = Starting(env.picture.calls, "Line");
  for (std::size_t k = 0; k < 12; k += 3)
    want.push_back(screen_lines[k].substr(0, screen_lines[k].size() - 7) + "#ffff00");
  const Calls levels = Split(
      "Line 181 469 181 169 #ffff00;Line 181 19 181 169 #ffff00;Line 181 619 181 469 #ffff00;"
      "Line 481 19 481 169 #ffffff;Line 481 469 481 169 #ffffff;Line 481 619 481 469 #ffffff");
  want.insert(want.end(), levels.begin(), levels.end());
  EXPECT_EQ(Starting(printed, "Line"), want);
  // The green shading: every quarter on both, same corners and colours; the label magenta.
  EXPECT_EQ(Starting(printed, "FilledBox"), Starting(env.picture.calls, "FilledBox"));
  EXPECT_EQ(Starting(printed, "ForeColor"), Calls{"ForeColor #ff00ff"});
  EXPECT_EQ(env.picture.calls, ScreenWithoutPrinting(10, 10, kColorEasy, true));
}

TEST(PrinterCopy, NormalModeScalesByTwipsPerPixelIntoPrinterPixels) {
  FakeEnvironment env;
  Prepare(env, 20, 10, kColorNormal, true);  // 800 x 400 at (30, 20); Normal prints no outline
  env.printer.set_twips_per_pixel(2.4);
  env.model.MapLoaded = kMapLoaded;
  std::tie(env.model.MapLeft, env.model.MapTop, env.model.MapWidth, env.model.MapHeight) =
      std::tuple(30, 20, 800, 400);
  env.window.MapPicture = Picture{2, 2, {0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffffff}};
  ASSERT_EQ(Draw(env), ContourOutcome::Drawn);

  // The printed frame's box below is drawn from PrintFrameLeft, Top, Width and Height.
  const Calls& printed = env.printer.calls;
  ASSERT_GE(printed.size(), 6u);
  EXPECT_EQ(Calls(printed.begin(), printed.begin() + 6),
            Split("DrawWidth 1;FontSize 16;ScaleMode 3;Box 72 48 1992 1008 #f0f000;"
                  "PaintPicture 2x2 72 48 1920 960 0 0 2 2 copy;FillStyle 0"));

  // Each polygon right after its band colour, fill style back to transparent after it.
  Calls scaled;
  for (const std::string& polygon : Starting(env.picture.calls, "Polygon"))
    scaled.push_back(ScaledPolygon(polygon, 2.4));
  ASSERT_GT(scaled.size(), 4u);  // the base fill, then the level bands
  EXPECT_EQ(Starting(printed, "Polygon"), scaled);
  for (std::size_t k = 0; k < printed.size(); ++k) {
    if (printed[k].starts_with("Polygon")) {
      ASSERT_GE(k, 3u);
      ASSERT_LT(k + 1, printed.size());
      EXPECT_EQ(printed[k - 3], "FillStyle 0");
      EXPECT_EQ(printed[k - 2].substr(0, 10), "ForeColor ");
      EXPECT_EQ(printed[k - 1], "FillColor " + printed[k - 2].substr(10));
      EXPECT_EQ(printed[k + 1], "FillStyle 1");
    }
    if (printed[k].starts_with("Line")) {
      EXPECT_EQ(printed[k - 1], "ScaleMode 3") << k;
    }
  }
  // Segments scaled, level 5 yellow and level 6 white (labels go through the same scaling).
  Calls screen_segments;
  for (const std::string& line : Starting(env.picture.calls, "Line")) {
    if (!line.ends_with("#f0f000"))
      screen_segments.push_back(ScaledSegment(line, 2.4));
  }
  ASSERT_EQ(screen_segments.size(), 6u);
  EXPECT_EQ(Starting(printed, "Line"), screen_segments);
}

TEST(PrinterCopy, WithoutAPrinterTheTickedBoxOnlyDrawsTheScreen) {
  FakeEnvironment env;
  Prepare(env, 10, 10, kColorNothing);
  CommandContext ctx = env.Context();
  ctx.printer = nullptr;
  EXPECT_EQ(ContourCalc(ctx), ContourOutcome::Drawn);
  EXPECT_EQ(env.picture.calls, ScreenWithoutPrinting(10, 10, kColorNothing, false));
}

// Dialogs that note how far the printer had got when the error report came.
class WatchingDialogs : public testing::ScriptedDialogs {
 public:
  explicit WatchingDialogs(const RecordingSurface& printer) : printer_(printer) {}
  void Message(std::string_view text, std::string_view title, MessageIcon icon) override {
    printer_calls_at_report = printer_.calls;
    ScriptedDialogs::Message(text, title, icon);
  }
  Calls printer_calls_at_report;

 private:
  const RecordingSurface& printer_;
};

TEST(PrinterCopy, AnErrorEndsTheDocumentOnceBeforeItIsReported) {
  FakeEnvironment env;
  Prepare(env, 10, 10, kColorNothing);
  env.model.NodeValue(1, 2) = 2.0e9;  // the label unit's divisor overflows
  WatchingDialogs dialogs(env.printer);
  CommandContext ctx{env.model, env.window,  env.panel,  env.picture,  &env.printer,
                     dialogs,   env.windows, env.events, env.workbooks};
  DrawMapWithLegend(ctx);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].text.find("エラー番号： 6"), std::string::npos);
  EXPECT_EQ(Starting(env.printer.calls, "EndDoc").size(), 1u);
  ASSERT_FALSE(dialogs.printer_calls_at_report.empty());
  EXPECT_EQ(dialogs.printer_calls_at_report.back(), "EndDoc");  // ended before the report

  // The program goes on: the next drawing prints a whole document of its own.
  env.model.NodeValue(1, 2) = 6.5;
  env.printer.calls.clear();
  CommandContext again = env.Context();
  DrawMapWithLegend(again);
  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(Starting(env.printer.calls, "EndDoc"), Calls{"EndDoc"});
  EXPECT_EQ(env.printer.calls.back(), "EndDoc");
}

TEST(PrinterCopy, APrinterFailingAtTheEndIsReportedWithoutEndingTwice) {
  FakeEnvironment env;
  Prepare(env, 10, 10, kColorNothing);
  env.printer.end_doc_failure = "offline";
  const RunError error = ErrorOf([&] { Draw(env); });
  EXPECT_EQ(error.number(), 482);
  EXPECT_NE(error.description().find("offline"), std::string::npos);
  EXPECT_EQ(Starting(env.printer.calls, "EndDoc").size(), 1u);
}

}  // namespace
}  // namespace ombrix
