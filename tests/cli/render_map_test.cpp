#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <sstream>

#include "cli/arguments.h"
#include "cli/contour_commands.h"
#include "fakes/fixture_path.h"
#include "fakes/temp_folder.h"

namespace ombrix::cli {
namespace {

using ombrix::testing::Fixture;

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
  std::ostringstream text;
  ASSERT_EQ(RenderMap({Fixture("mesh_small.lo.xlsx"), "-o", out_path, "--no-level", "--interval",
                       "0", "--map", map_path},
                      text),
            kExitOk)
      << text.str();
  const QImage image(QString::fromStdString(out_path));
  ASSERT_EQ(image.size(), QSize(870, 450));  // an 800 x 400 frame at (30, 20)
  // 20 x 10 pixels are 529.17 x 264.58 hundredths of a millimetre at 96 dots per inch, so the
  // destination runs from (30, 20) over 30 + 529 by 20 + 265 pixels.
  const auto map_colour = [&image](int x, int y) {
    return (image.pixel(x, y) & 0xFFFFFF) == 0x80C0E0u;
  };
  EXPECT_TRUE(map_colour(31, 21));
  EXPECT_TRUE(map_colour(30 + 559 - 1, 20 + 285 - 1));
  EXPECT_FALSE(map_colour(30 + 559, 100));
  EXPECT_FALSE(map_colour(100, 20 + 285));
  // The frame outline is drawn over the map.
  EXPECT_EQ(image.pixel(300, 20) & 0xFFFFFF, 0xF0F000u);
}

TEST_F(RenderMapOption, APictureThatDoesNotLoadIsARunErrorNamingIt) {
  std::ostringstream missing;
  EXPECT_EQ(RenderMap({Fixture("mesh_small.lo.xlsx"), "-o", out_path, "--map", "/no/such/map.gif"},
                      missing),
            kExitRunError);
  EXPECT_EQ(missing.str().rfind("error,", 0), 0u);
  EXPECT_NE(missing.str().find("/no/such/map.gif"), std::string::npos);
  std::ostringstream workbook;
  EXPECT_EQ(RenderMap({Fixture("mesh_small.lo.xlsx"), "-o", out_path, "--map",
                       Fixture("mesh_small.lo.xlsx")},
                      workbook),
            kExitRunError);
  EXPECT_NE(workbook.str().find("mesh_small.lo.xlsx"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(out_path));
  std::ostringstream usage;
  EXPECT_THROW(RenderMap({Fixture("mesh_small.lo.xlsx"), "-o", out_path, "--map"}, usage),
               UsageError);
}

}  // namespace
}  // namespace ombrix::cli
