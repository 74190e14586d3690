#include "platform/surface_scale.h"

#include <gtest/gtest.h>

namespace ombrix {
namespace {

TEST(SurfaceScale, UserScalesOriginsPointsAndTwipsMapOntoTheDevice) {
  SurfaceScale scale(870, 450, 96, 96);
  scale.SetScaleWidth(800);
  scale.SetScaleHeight(400);
  EXPECT_EQ(scale.mode(), ScaleMode::User);
  EXPECT_EQ(scale.ScaleWidth(), 800);
  EXPECT_DOUBLE_EQ(scale.ToDeviceX(800), 870);
  EXPECT_DOUBLE_EQ(scale.ToDeviceY(200), 225);
  // Back to pixels: the device itself, origin at the top-left corner, one unit a pixel.
  scale.SetMode(ScaleMode::Pixels);
  EXPECT_EQ(scale.ToDeviceX(12.5), 12.5);
  EXPECT_EQ(scale.ScaleWidth(), 870);
  EXPECT_EQ(scale.ScaleHeight(), 450);

  scale = SurfaceScale(1000, 500, 96, 96);
  scale.SetScale(100, 50, 300, 150);
  EXPECT_DOUBLE_EQ(scale.ToDeviceX(100), 0);
  EXPECT_DOUBLE_EQ(scale.ToDeviceX(300), 1000);
  EXPECT_DOUBLE_EQ(scale.ToDeviceY(100), 250);
  scale.SetMode(ScaleMode::Points);
  EXPECT_DOUBLE_EQ(scale.ToDeviceX(72), 96);
  EXPECT_DOUBLE_EQ(scale.ScaleWidth(), 750);
  EXPECT_DOUBLE_EQ(scale.ConvertX(1440, ScaleMode::Twips, ScaleMode::Pixels), 96);
  EXPECT_DOUBLE_EQ(scale.ConvertY(96, ScaleMode::Pixels, ScaleMode::Points), 72);
  EXPECT_DOUBLE_EQ(scale.TwipsPerPixelX(), 15);
}

}  // namespace
}  // namespace ombrix
