#include "contour/colour_legend.h"

#include <gtest/gtest.h>

#include <QImage>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "contour/colour_scale.h"
#include "fakes/error_capture.h"
#include "fakes/fake_context.h"
#include "model/run_error.h"
#include "platform/qt/qt_surface.h"

namespace ombrix {
namespace {

using testing::RecordingSurface;

// The thresholds of a drawing of the data range 3.2 .. 17.9, as the legend prints them.
const std::array<const char*, 17> kWorkedLabels = {
    " 17",  " 16.1", " 15.3", " 14.5", " 13.7", " 12.9", " 12.1", " 11.3", " 10.5",
    " 9.6", " 8.8",  " 8",    " 7.2",  " 6.4",  " 5.6",  " 4.8",  " 4"};

class ColourLegend : public ::testing::Test {
 protected:
  ColourLegend() {
    model.DataMin = 3.2;
    model.DataMax = 17.9;
    SetColor(model, window);
  }

  MeshModel model;
  MainWindowState window;
  RecordingSurface surface;
};

TEST_F(ColourLegend, SwatchesThenLabelsCentredOnTheBordersInTwips) {
  DrawColorLegend(surface, model, window);
  std::vector<std::string> want = {"ScaleMode 1", "DrawWidth 1",
                                   "FontSize 9",  "ForeColor #000000",
                                   "Cls",         "FilledBox 480 270 680 635 #e01fe0"};
  // Swatch i, then its label: half a 9-point line (90 twips) above the border over swatch i.
  const char* colours[] = {"#e01f1f", "#e0501f", "#e0801f", "#e0b01f", "#e0e01f", "#b0e01f",
                           "#80e01f", "#50e01f", "#1fe01f", "#1fe050", "#1fe080", "#1fe0b0",
                           "#1fe0e0", "#1fb0e0", "#1f80e0", "#1f50e0", "#1f1f80"};
  std::vector<std::string> borders;  // drawn after all swatches; the last bottom edge gets none
  for (int i = 1; i <= 17; ++i) {
    const std::string top = std::to_string(270 + 365 * i);
    want.push_back("FilledBox 480 " + top + " 680 " + std::to_string(635 + 365 * i) + " " +
                   colours[i - 1]);
    want.push_back("CurrentX 780");
    want.push_back("CurrentY " + std::to_string(180 + 365 * i));
    want.push_back(std::string("Print \"") + kWorkedLabels[i - 1] + "\"");
    borders.push_back("Line 480 " + top + " 680 " + top + " #000000");
  }
  want.insert(want.end(), borders.begin(), borders.end());
  want.push_back("Refresh");
  EXPECT_EQ(surface.calls, want);
}

TEST_F(ColourLegend, TablesTooShortForTheStepCountRaiseError9) {
  model.ColorCount = 20;  // swatch 21 lies beyond the colour tables (0..20)
  EXPECT_EQ(ErrorNumberOf([&] { DrawColorLegend(surface, model, window); }),
            err::kSubscriptOutOfRange);
}

// The surface logs into the window log when the legend is drawn, so the order shows.
class LoggingSurface : public RecordingSurface {
 public:
  explicit LoggingSurface(std::vector<std::string>& log) : log_(log) {}
  void Clear() override {
    log_.push_back("Draw");
    RecordingSurface::Clear();
  }

 private:
  std::vector<std::string>& log_;
};

class ShowLegend : public ::testing::Test {
 protected:
  ShowLegend() : legend(env.windows.log) {
    env.model.DataMin = 3.2;
    env.model.DataMax = 17.9;
    SetColor(env.model, env.window);
  }

  testing::FakeEnvironment env;
  LoggingSurface legend;
};

TEST_F(ShowLegend, PlacedBesideTheMainWindowOrAgainstTheScreenEdgeShownDrawnKeptOnTop) {
  struct Case {
    WindowRect main;
    double screen_width, legend_width, left, top;
  };
  // Reaching the screen width exactly does not fit, a pixel (15) less does. Last: in floats
  // 1 + 2^24 is 2^24, so the sum falls two short of a screen it would reach in doubles.
  const double edge = 28800 - 13000 - 100 - 1860;
  const Case cases[] = {
      {{1500, 900, 13000, 9000}, 28800, 1860, 1500 + 13000 + 100, 900 + 600},
      {{edge, 300, 13000, 9000}, 28800, 1860, 28800 - 1860 - 100, 900},
      {{edge - 15, 300, 13000, 9000}, 28800, 1860, 28800 - 1860 - 15, 900},
      {{1, 0, 16777216, 9000}, 16777418, 101, 16777316, 600},
  };
  for (const Case& c : cases) {
    env.windows.log.clear();
    env.windows.screen = {c.screen_width, 1080 * 15.0, 15, 15};
    env.windows.geometry[WindowId::Main] = c.main;
    env.windows.geometry[WindowId::Legend] = {0, 0, c.legend_width, 7500};
    CommandContext ctx = env.Context();
    ShowColorLegend(ctx, legend);
    EXPECT_EQ(env.windows.geometry[WindowId::Legend],
              (WindowRect{c.left, c.top, c.legend_width, 7500}))
        << c.main.left;
    EXPECT_EQ(env.windows.log, (std::vector<std::string>{"SetGeometry Legend", "Show Legend",
                                                         "Draw", "KeepOnTop Legend", "FocusMain"}));
  }
}

// --- The legend as the window shows it ---

constexpr int kLegendWidthPx = 116;   // 1740 twips at 15 twips a pixel
constexpr int kLegendHeightPx = 471;  // 7068 twips
constexpr int kLabelLeftPx = 52;      // 780 twips: the labels stand right of here

// Pixels left of the labels that differ.
int DifferingSwatchPixels(const QImage& a, const QImage& b) {
  if (a.size() != b.size())
    return -1;
  int differing = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < kLabelLeftPx; ++x) {
      differing += (a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF);
    }
  }
  return differing;
}

TEST_F(ColourLegend, RenderingMatchesItsGoldenImage) {
  qt::QtSurface shown(kLegendWidthPx, kLegendHeightPx);
  DrawColorLegend(shown, model, window);
  const QImage image = shown.image().copy();
  const QImage golden(OMBRIX_FIXTURES_DIR "/golden/legend_3.2_to_17.9.png");
  const int differing = DifferingSwatchPixels(image, golden);
  if (differing != 0) {
    const std::string out =
        (std::filesystem::temp_directory_path() / "ombrix_legend_actual.png").string();
    image.save(QString::fromStdString(out));
    ADD_FAILURE() << "swatch column differs from the golden image in " << differing
                  << " pixels; this rendering: " << out;
  }
}

}  // namespace
}  // namespace ombrix
