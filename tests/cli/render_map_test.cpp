#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "cli/arguments.h"
#include "cli/contour_commands.h"
#include "cli_files.h"
#include "fakes/temp_folder.h"

namespace ombrix::cli {
namespace {

using ombrix::testing::Call;
using ombrix::testing::Fixture;
using ombrix::testing::Printed;

class RenderMapOption : public ::testing::Test {
 protected:
  RenderMapOption() {
    QImage map(20, 10, QImage::Format_RGB32);
    map.fill(QColor(0x80, 0xC0, 0xE0));
    EXPECT_TRUE(map.save(QString::fromStdString(map_path), "BMP"));
  }
  ombrix::testing::TempFolder dir;
  const std::string map_path = dir / "map.bmp";
  const std::string out_path = dir / "out.png";
};

TEST_F(RenderMapOption, PaintsThePictureUnderThePlotFromTheFrameCorner) {
  const Printed run = Call(RenderMap, {Fixture("mesh_small.lo.xlsx"), "-o", out_path, "--no-level",
                                       "--interval", "0", "--map", map_path});
  ASSERT_EQ(run.status, kExitOk) << run.text;
  const QImage image(QString::fromStdString(out_path));
  ASSERT_EQ(image.size(), QSize(870, 450));  // an 800 x 400 frame at (30, 20)
  // The picture at its own 20 x 10 pixels from the frame's corner.
  const auto map_colour = [&image](int x, int y) {
    return (image.pixel(x, y) & 0xFFFFFF) == 0x80C0E0u;
  };
  EXPECT_TRUE(map_colour(31, 21));
  EXPECT_TRUE(map_colour(30 + 20 - 1, 20 + 10 - 1));
  EXPECT_FALSE(map_colour(30 + 20, 25));
  EXPECT_FALSE(map_colour(35, 20 + 10));
  // The frame outline is drawn over the map.
  EXPECT_EQ(image.pixel(300, 20) & 0xFFFFFF, 0xF0F000u);
}

TEST_F(RenderMapOption, APictureThatDoesNotLoadIsARunErrorNamingIt) {
  const std::string mesh = Fixture("mesh_small.lo.xlsx");
  for (const std::string& map : {std::string("/no/such/map.gif"), mesh}) {
    const Printed run = Call(RenderMap, {mesh, "-o", out_path, "--map", map});
    EXPECT_EQ(run.status, kExitRunError);
    EXPECT_EQ(run.text.rfind("error,", 0), 0u);
    EXPECT_NE(run.text.find(map), std::string::npos) << run.text;
  }
  EXPECT_FALSE(std::filesystem::exists(out_path));
  EXPECT_THROW(Call(RenderMap, {mesh, "-o", out_path, "--map"}), UsageError);
}

}  // namespace
}  // namespace ombrix::cli
