#include "platform/qt/qt_picture_loader.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "model/run_error.h"
#include "model/system_memory.h"
#include "platform/qt/qt_text.h"

namespace ombrix::qt {
namespace {

// Largest decoded picture: 2 GB of pixels, the most a QImage holds.
constexpr std::uint64_t kMaxPictureBytes = std::uint64_t{2047} << 20;

[[noreturn]] void Fail(int number, const std::string& path, const std::string& what) {
  throw RunError(number, "画像ファイル \"" + path + "\" " + what);
}

// Opaque pixels: a transparent part shows what lies under it on the white drawing area.
QImage OnWhite(const QImage& image) {
  if (!image.hasAlphaChannel()) {
    return image.convertToFormat(QImage::Format_RGB32);
  }
  QImage opaque(image.size(), QImage::Format_RGB32);
  opaque.fill(Qt::white);
  QPainter painter(&opaque);
  painter.drawImage(0, 0, image);
  painter.end();
  return opaque;
}

}  // namespace

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
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  // The picture as stored: orientation tags of photographs are not applied.
  reader.setAutoTransform(false);
  // The decoder's own limit (128 MB) would refuse an ordinary large photograph with a vague
  // reason; the limit is the memory the decoded picture and its opaque copy need.
  const QSize size = reader.size();
  if (size.isValid()) {
    const std::uint64_t needed =
        std::uint64_t{4} * static_cast<std::uint64_t>(size.width()) * size.height();
    const std::uint64_t available = AvailableMemoryBytes();
    if (needed > kMaxPictureBytes || (available != 0 && 2 * needed > available)) {
      throw RunError(err::kOutOfMemory, "メモリが足りません: 画像ファイル \"" + path + "\" (" +
                                            std::to_string(size.width()) + " × " +
                                            std::to_string(size.height()) +
                                            " ピクセル) の展開には " +
                                            std::to_string(needed >> 20) + " MB 要ります。");
    }
    reader.setAllocationLimit(0);  // checked above
  }
  const QImage image = reader.read();
  if (image.isNull()) {
    Fail(err::kInvalidPicture, path,
         "を画像として読めません: " + ToStdString(reader.errorString()));
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

}  // namespace ombrix::qt
