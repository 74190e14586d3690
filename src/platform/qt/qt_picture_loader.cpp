#include "platform/qt/qt_picture_loader.h"

#include <QColor>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <cstring>

#include "model/run_error.h"
#include "platform/qt/qt_text.h"

namespace ombrix::qt {
namespace {

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
  const QString name = ToQString(path);
  const QFileInfo info(name);
  if (!info.exists()) {
    Fail(err::kFileNotFound, path, "が見つかりません。");
  }
  if (!info.isFile()) {
    Fail(err::kPathFileAccess, path, "はファイルではありません。");
  }
  QImageReader reader(name);
  // The picture as stored: orientation tags of photographs are not applied.
  reader.setAutoTransform(false);
  const QImage image = reader.read();
  if (image.isNull()) {
    if (reader.error() == QImageReader::FileNotFoundError) {
      Fail(err::kPathFileAccess, path, "を開けません: " + ToStdString(reader.errorString()));
    }
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
