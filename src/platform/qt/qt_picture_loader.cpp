#include "platform/qt/qt_picture_loader.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "model/run_error.h"
#include "model/system_memory.h"
#include "platform/qt/qt_text.h"

namespace ombrix::qt {
namespace {

[[noreturn]] void Fail(int number, const std::string& path, const std::string& what) {
  throw RunError(number, "画像ファイル \"" + path + "\" " + what);
}

[[noreturn]] void TooLarge(const std::string& path, QSize size) {
  const std::uint64_t needed =
      std::uint64_t{4} * static_cast<std::uint64_t>(size.width()) * size.height();
  throw RunError(err::kOutOfMemory, "メモリが足りません: 画像ファイル \"" + path + "\" (" +
                                        std::to_string(size.width()) + " × " +
                                        std::to_string(size.height()) + " ピクセル) の展開には " +
                                        std::to_string(needed >> 20) + " MB 要ります。");
}

// Whether a picture stored as 0xffRRGGBB holds a pixel whose top byte says otherwise.
bool HasClearPixels(const QImage& rgb) {
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* line = reinterpret_cast<const std::uint32_t*>(rgb.constScanLine(y));
    for (int x = 0; x < rgb.width(); ++x) {
      if ((line[x] >> 24) != 0xffu) {
        return true;
      }
    }
  }
  return false;
}

// Opaque pixels: a transparent part shows what lies under it on the white drawing area.
QImage OnWhite(const QImage& image) {
  if (!image.hasAlphaChannel()) {
    QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    if (!HasClearPixels(rgb)) {
      return rgb;
    }
    // The GIF reader marks a colour transparent in a picture it began without transparency
    // and leaves those pixels clear although the format claims none: they are what they say.
    rgb.reinterpretAsFormat(QImage::Format_ARGB32);
    return OnWhite(rgb);
  }
  QImage opaque(image.size(), QImage::Format_RGB32);
  if (opaque.isNull()) {
    return opaque;
  }
  opaque.fill(Qt::white);
  QPainter painter(&opaque);
  painter.drawImage(0, 0, image);
  painter.end();
  return opaque;
}

}  // namespace

Picture DecodePicture(const QByteArray& bytes, const std::string& path, std::uint64_t max_bytes) {
  QByteArray content = bytes;  // shared, not copied: the buffer only reads
  QBuffer buffer(&content);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  // The picture as stored: orientation tags of photographs are not applied.
  reader.setAutoTransform(false);
  // The limit is the memory the decoded picture and its opaque copy need, checked on the
  // header's size first so that the message can name it. The decoder's own limit (128 MB)
  // would refuse an ordinary large photograph with a vague reason; it is set to ours instead
  // of lifted, since a frame may claim more than the header did.
  const QSize size = reader.size();
  if (size.isValid()) {
    const std::uint64_t needed =
        std::uint64_t{4} * static_cast<std::uint64_t>(size.width()) * size.height();
    const std::uint64_t available = AvailableMemoryBytes();
    if (needed > max_bytes || (available != 0 && 2 * needed > available)) {
      TooLarge(path, size);
    }
  }
  const std::uint64_t limit_mb = std::max<std::uint64_t>(1, (max_bytes + (1u << 20) - 1) >> 20);
  QImageReader::setAllocationLimit(static_cast<int>(std::min<std::uint64_t>(limit_mb, INT_MAX)));
  const QImage image = reader.read();
  if (image.isNull()) {
    Fail(err::kInvalidPicture, path,
         "を画像として読めません: " + ToStdString(reader.errorString()));
  }
  // A decoder that allocates on its own is held to the same limit after the fact.
  if (std::uint64_t{4} * static_cast<std::uint64_t>(image.width()) * image.height() > max_bytes) {
    TooLarge(path, image.size());
  }
  const QImage opaque = OnWhite(image);
  if (opaque.isNull()) {
    throw RunError(err::kOutOfMemory, "画像ファイル \"" + path + "\" (" +
                                          std::to_string(image.width()) + " × " +
                                          std::to_string(image.height()) +
                                          " ピクセル) を展開するメモリが足りません。");
  }
  Picture picture;
  picture.width = opaque.width();
  picture.height = opaque.height();
  picture.pixels.resize(static_cast<std::size_t>(picture.width) *
                        static_cast<std::size_t>(picture.height));
  for (int y = 0; y < picture.height; ++y) {
    std::memcpy(picture.pixels.data() + static_cast<std::size_t>(y) * picture.width,
                opaque.constScanLine(y), static_cast<std::size_t>(picture.width) * 4);
  }
  return picture;
}

Picture QtPictureLoader::LoadPicture(const std::string& path) {
  // Read by the name's bytes, whatever their encoding; the decoder sees only the content.
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(status)) {
    Fail(err::kFileNotFound, path, "が見つかりません。");
  }
  if (!std::filesystem::is_regular_file(status)) {
    Fail(err::kPathFileAccess, path, "はファイルではありません。");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    Fail(err::kPathFileAccess, path, std::string("を開けません: ") + std::strerror(errno));
  }
  QByteArray bytes;
  bytes.resize(static_cast<qsizetype>(std::filesystem::file_size(path, ec)));
  if (ec || !in.read(bytes.data(), bytes.size())) {
    Fail(err::kPathFileAccess, path, "を読み切れません。");
  }
  return DecodePicture(bytes, path);
}

}  // namespace ombrix::qt
