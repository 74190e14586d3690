#pragma once
// Picture files served from memory by path. A path in
// `not_pictures` fails as a file that is no picture, any other unknown path as a missing file.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "model/run_error.h"
#include "platform/picture_loader.h"

namespace ombrix::testing {

class FakePictureLoader : public PictureLoader {
 public:
  std::map<std::string, Picture> files;
  std::set<std::string> not_pictures;

  Picture LoadPicture(const std::string& path) override {
    if (not_pictures.count(path) != 0) {
      throw RunError(err::kInvalidPicture, "画像ファイル \"" + path + "\" を画像として読めません");
    }
    const auto found = files.find(path);
    if (found == files.end()) {
      throw RunError(err::kFileNotFound, "画像ファイル \"" + path + "\" が見つかりません。");
    }
    return found->second;
  }
};

// A picture of one colour (0xRRGGBB).
inline Picture SolidPicture(std::int32_t width, std::int32_t height, std::uint32_t rgb) {
  Picture picture;
  picture.width = width;
  picture.height = height;
  picture.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                        0xff000000u | rgb);
  return picture;
}

}  // namespace ombrix::testing
