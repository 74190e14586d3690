#include "platform/surface_scale.h"

namespace ombrix {

SurfaceScale::SurfaceScale(double device_width, double device_height, double dpi_x, double dpi_y)
    : device_width_(device_width),
      device_height_(device_height),
      dpi_x_(dpi_x),
      dpi_y_(dpi_y),
      user_width_(device_width),
      user_height_(device_height) {}

void SurfaceScale::SetDeviceSize(double device_width, double device_height) {
  device_width_ = device_width;
  device_height_ = device_height;
}

void SurfaceScale::SetMode(ScaleMode mode) {
  mode_ = mode;
  if (mode != ScaleMode::User) {
    left_ = 0;
    top_ = 0;
  }
}

void SurfaceScale::SetScale(double x1, double y1, double x2, double y2) {
  mode_ = ScaleMode::User;
  left_ = x1;
  top_ = y1;
  user_width_ = x2 - x1;
  user_height_ = y2 - y1;
}

void SurfaceScale::SetScaleWidth(double width) {
  if (mode_ != ScaleMode::User) {
    user_height_ = ScaleHeight();
    mode_ = ScaleMode::User;
  }
  user_width_ = width;
}

void SurfaceScale::SetScaleHeight(double height) {
  if (mode_ != ScaleMode::User) {
    user_width_ = ScaleWidth();
    mode_ = ScaleMode::User;
  }
  user_height_ = height;
}

double SurfaceScale::ScaleWidth() const {
  return mode_ == ScaleMode::User ? user_width_ : device_width_ / PixelsPerUnitX(mode_);
}

double SurfaceScale::ScaleHeight() const {
  return mode_ == ScaleMode::User ? user_height_ : device_height_ / PixelsPerUnitY(mode_);
}

double SurfaceScale::PixelsPerUnitX(ScaleMode mode) const {
  switch (mode) {
    case ScaleMode::User:
      return device_width_ / user_width_;
    case ScaleMode::Twips:
      return dpi_x_ / 1440.0;
    case ScaleMode::Points:
      return dpi_x_ / 72.0;
    case ScaleMode::Pixels:
      return 1.0;
  }
  return 1.0;
}

double SurfaceScale::PixelsPerUnitY(ScaleMode mode) const {
  switch (mode) {
    case ScaleMode::User:
      return device_height_ / user_height_;
    case ScaleMode::Twips:
      return dpi_y_ / 1440.0;
    case ScaleMode::Points:
      return dpi_y_ / 72.0;
    case ScaleMode::Pixels:
      return 1.0;
  }
  return 1.0;
}

double SurfaceScale::ToDeviceX(double x) const {
  return (x - left_) * PixelsPerUnitX(mode_);
}
double SurfaceScale::ToDeviceY(double y) const {
  return (y - top_) * PixelsPerUnitY(mode_);
}
double SurfaceScale::LengthToDeviceX(double length) const {
  return length * PixelsPerUnitX(mode_);
}
double SurfaceScale::LengthToDeviceY(double length) const {
  return length * PixelsPerUnitY(mode_);
}
double SurfaceScale::LengthFromDeviceX(double pixels) const {
  return pixels / PixelsPerUnitX(mode_);
}
double SurfaceScale::LengthFromDeviceY(double pixels) const {
  return pixels / PixelsPerUnitY(mode_);
}

double SurfaceScale::ConvertX(double length, ScaleMode from, ScaleMode to) const {
  return length * PixelsPerUnitX(from) / PixelsPerUnitX(to);
}

double SurfaceScale::ConvertY(double length, ScaleMode from, ScaleMode to) const {
  return length * PixelsPerUnitY(from) / PixelsPerUnitY(to);
}

}  // namespace ombrix
