#pragma once
// Picture files read with Qt's image readers (GIF, JPEG, BMP and the other formats installed).

#include <QByteArray>
#include <cstdint>
#include <string>

#include "platform/picture_loader.h"

namespace ombrix::qt {

// Largest decoded picture: 256 MB of pixels (8192 x 8192), which with its opaque copy and the
// map's own copy keeps a command under 1 GB.
inline constexpr std::uint64_t kMaxPictureBytes = std::uint64_t{256} << 20;

// The picture held in `bytes` (a file's whole content), read as LoadPicture reads a file;
// `path` names it in the messages. A picture whose pixels would take more than `max_bytes`
// (4 bytes a pixel) is refused with error 7 before it is decoded, whatever its header claims.
Picture DecodePicture(const QByteArray& bytes, const std::string& path,
                      std::uint64_t max_bytes = kMaxPictureBytes);

class QtPictureLoader : public PictureLoader {
 public:
  Picture LoadPicture(const std::string& path) override;
};

}  // namespace ombrix::qt
