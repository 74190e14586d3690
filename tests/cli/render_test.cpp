#include <gtest/gtest.h>

#include "cli_files.h"
#include "fakes/temp_folder.h"

#include <QImage>
#include <algorithm>

#include "cli/arguments.h"
#include "cli/contour_commands.h"
#include "cli/optimise_command.h"

namespace ombrix::cli {
namespace {

namespace fs = std::filesystem;
using ombrix::testing::Call;
using ombrix::testing::Fixture;
using ombrix::testing::Printed;

// Pixels that differ between two renderings, leaving out the margins left of and below the
// frame, where the coordinate labels stand (their glyphs depend on the installed font).
int DifferingPixels(const QImage& a, const QImage& b, int frame_left, int frame_bottom) {
  if (a.size() != b.size())
    return -1;
  int differing = 0;
  for (int y = 0; y <= std::min(frame_bottom, a.height() - 1); ++y) {
    for (int x = frame_left; x < a.width(); ++x)
      differing += (a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF);
  }
  return differing;
}

class RenderTest : public ::testing::Test {
 protected:
  QImage Render(std::vector<std::string> args, decltype(&RenderMap) command = RenderMap) {
    const std::string out = dir_ / "render.png";
    args.insert(args.end(), {"-o", out});
    const Printed run = Call(command, args);
    EXPECT_EQ(run.status, kExitOk) << run.text;
    return QImage(QString::fromStdString(out));
  }
  ombrix::testing::TempFolder dir_;
};

TEST_F(RenderTest, EveryModeMatchesItsGoldenImage) {
  const std::string blanks = Fixture("mesh_blanks.lo.xlsx");
  const std::string hills = std::string(OMBRIX_FIXTURES_DIR) + "/../../examples/hills_mesh.xlsx";
  const struct {
    std::vector<std::string> args;
    std::string golden;
    int frame_bottom;  // DifferingPixels compares the sizes too, so a missing golden fails
  } cases[] = {
      {{blanks, "--no-level", "--outline"}, "mesh_blanks_no_labels", 20 + 600},
      {{hills, "--no-level", "--interval", "5", "--line-width", "2"},
       "hills_interval5_no_labels",
       20 + 595},
      {{blanks, "--mode", "easy", "--no-level"}, "mesh_blanks_easy", 20 + 600},
      {{blanks, "--mode", "normal", "--no-level"}, "mesh_blanks_normal", 20 + 600},
  };
  for (const auto& c : cases) {
    const QImage golden(QString::fromStdString(Fixture("golden/" + c.golden + ".png")));
    EXPECT_EQ(DifferingPixels(Render(c.args), golden, 30, c.frame_bottom), 0) << c.golden;
  }
}

TEST_F(RenderTest, DividedMapsAndAbsoluteColourRangesRepaintTheBands) {
  const std::string mesh = Fixture("mesh_blanks.lo.xlsx");
  const QImage plain = Render({mesh, "--mode", "normal"});
  EXPECT_EQ(DifferingPixels(Render({mesh, "--mode", "normal", "--divide", "1"}), plain, 30, 620),
            0);
  // Each finer triangle is filled in the colour of its own mean value.
  const QImage divided = Render({mesh, "--mode", "normal", "--divide", "2"});
  EXPECT_GT(DifferingPixels(divided, plain, 30, 620), 100);
  EXPECT_EQ(divided.pixel(30, 20) & 0xFFFFFF, 0xF0F000u);  // the frame is drawn again
  const QImage absolute = Render({mesh, "--mode", "normal", "--color-range", "0", "100"});
  EXPECT_GT(DifferingPixels(absolute, plain, 30, 620), 1000);

  const std::string never_divided = dir_ / "never_divided.png";
  ombrix::testing::ExpectErrorLine(
      Call(RenderMap, {Fixture("mesh_small.lo.xls"), "-o", never_divided, "--divide", "30"}),
      "個になり");
  EXPECT_FALSE(fs::exists(never_divided));
}

TEST_F(RenderTest, AMapPictureIsPaintedUnderThePlotFromTheFrameCorner) {
  const std::string mesh = Fixture("mesh_small.lo.xlsx");
  const std::string map = dir_ / "map.bmp";
  QImage picture(20, 10, QImage::Format_RGB32);
  picture.fill(QColor(0x80, 0xC0, 0xE0));
  ASSERT_TRUE(picture.save(QString::fromStdString(map), "BMP"));
  const QImage image = Render({mesh, "--no-level", "--interval", "0", "--map", map});
  ASSERT_EQ(image.size(), QSize(870, 450));  // an 800 x 400 frame at (30, 20)
  // The picture at its own 20 x 10 pixels from the frame's corner, the frame outline over it.
  const auto map_colour = [&image](int x, int y) {
    return (image.pixel(x, y) & 0xFFFFFF) == 0x80C0E0u;
  };
  EXPECT_TRUE(map_colour(31, 21));
  EXPECT_TRUE(map_colour(30 + 20 - 1, 20 + 10 - 1));
  EXPECT_FALSE(map_colour(30 + 20, 25));
  EXPECT_FALSE(map_colour(35, 20 + 10));
  EXPECT_EQ(image.pixel(300, 20) & 0xFFFFFF, 0xF0F000u);
  // A picture that does not load (none there, a workbook) is a run error naming it.
  const std::string never = dir_ / "never.png";
  for (const std::string& bad : {std::string("/no/such/map.gif"), mesh}) {
    ombrix::testing::ExpectErrorLine(Call(RenderMap, {mesh, "-o", never, "--map", bad}), bad);
  }
  EXPECT_FALSE(fs::exists(never));
}

TEST_F(RenderTest, LegendIsTheLegendWindowsPicture) {
  const QImage legend = Render({Fixture("mesh_smooth_40x30.lo.xlsx")}, RenderLegend);
  EXPECT_EQ(legend.size(), QSize(116, 471));  // 1740 x 7068 twips at 15 twips a pixel
  // The top swatch is colour 0 (magenta), the bottom one colour 17 (dark blue).
  EXPECT_EQ(legend.pixel(38, 20) & 0xFFFFFF, 0xE01FE0u);
  EXPECT_EQ(legend.pixel(38, 455) & 0xFFFFFF, 0x1F1F80u);
}

TEST_F(RenderTest, BadArgumentsAndBadFiles) {
  const std::string mesh = Fixture("mesh_small.lo.xls");
  const std::string points = Fixture("points_small.lo.xls");
  const std::string png = dir_ / "x.png";
  const std::vector<std::vector<std::string>> usage = {
      {mesh},  // no -o
      {mesh, "-o", dir_ / "x.gif"},
      {mesh, "-o", png, "--color-range", "5", "5"},
      {mesh, "-o", png, "--mode", "fancy"},
      {mesh, "-o", png, "--divide", "0"},
      {mesh, "-o", png, "--optimise"},
      {mesh, "-o", png, "--points", points},
      {mesh, "-o", png, "--points", points, "--optimise", "--initial", "median"},
      {mesh, "-o", png, "--map"}};
  for (const auto& args : usage)
    EXPECT_THROW(Call(RenderMap, args), UsageError) << args.back();
  const std::string never = dir_ / "never.png";
  const Printed bad = Call(RenderMap, {Fixture("mesh_text_value.lo.xls"), "-o", never});
  EXPECT_EQ(bad.status, kExitRunError);
  EXPECT_EQ(bad.text, "error,セル H7 の値 \"n/a\" は数値ではありません。\n");
  EXPECT_FALSE(fs::exists(never));
  ombrix::testing::ExpectErrorLine(Call(RenderMap, {mesh, "-o", "/no/such/folder/map.png"}));
}

TEST_F(RenderTest, TheOptimisedMeshIsDrawnAsIfItsValuesWereInTheWorkbook) {
  const std::string points = Fixture("points_small.lo.xls");
  const QImage plain = Render({Fixture("mesh_blanks.lo.xlsx")});
  const QImage fitted = Render(
      {Fixture("mesh_blanks.lo.xlsx"), "--points", points, "--optimise", "--mode", "normal"});
  // Write the same fit into a copy of the workbook and draw that copy the ordinary way.
  const fs::path copy = dir_ / "fitted.xlsx";
  ombrix::testing::PlaceFixture("mesh_blanks.lo.xlsx", copy);
  ASSERT_EQ(Call(PrintOptimisedMesh, {copy.string(), points, "--write"}).status, kExitOk);
  const QImage reference = Render({copy.string(), "--mode", "normal"});
  EXPECT_EQ(DifferingPixels(fitted, reference, 0, fitted.height()), 0);
  EXPECT_GT(DifferingPixels(fitted, plain, 0, fitted.height()), 0);
  const std::string never = dir_ / "never.png";
  EXPECT_EQ(Call(RenderMap, {Fixture("mesh_blanks.lo.xlsx"), "-o", never, "--points",
                             Fixture("points_empty_count.lo.xls"), "--optimise"})
                .status,
            kExitRunError);
  EXPECT_FALSE(fs::exists(never));
}

}  // namespace
}  // namespace ombrix::cli
