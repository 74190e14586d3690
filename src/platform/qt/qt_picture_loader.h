#pragma once
// Picture files read with Qt's image readers (GIF, JPEG, BMP and the other formats installed).

#include "platform/picture_loader.h"

namespace ombrix::qt {

class QtPictureLoader : public PictureLoader {
 public:
  Picture LoadPicture(const std::string& path) override;
};

}  // namespace ombrix::qt
