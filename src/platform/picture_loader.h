#pragma once
// Reads picture files (GIF, JPEG, BMP) into plain pixels.

#include <string>

#include "platform/picture.h"

namespace ombrix {

class PictureLoader {
 public:
  virtual ~PictureLoader() = default;

  // The picture in the file at `path` (UTF-8), fully opaque: transparent parts come out as
  // they would show on a white background. Error 53 naming the path when there is no such
  // file; error 481 naming the path and the reader's reason when the file is no picture
  // that can be read.
  virtual Picture LoadPicture(const std::string& path) = 0;
};

}  // namespace ombrix
