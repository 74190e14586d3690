#include "platform/qt/qt_picture_loader.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fakes/error_capture.h"
#include "platform/qt/qt_surface.h"

namespace ombrix::qt {
namespace {

// Qt reads GIF but cannot write it, so the test writes its own: a global palette of four
// colours and LZW codes of three bits, kept from growing by a clear code before every pair of
// pixels. `transparent` is the palette index shown as transparent, or -1.
QByteArray TinyGif(int width, int height, const std::vector<std::uint32_t>& palette,
                   const std::vector<int>& indices, int transparent = -1) {
  QByteArray gif("GIF89a");
  const auto word = [&gif](int value) {
    gif.append(static_cast<char>(value & 0xff));
    gif.append(static_cast<char>((value >> 8) & 0xff));
  };
  word(width);
  word(height);
  gif.append(static_cast<char>(0x81));  // global palette of 2^(1+1) = 4 entries
  gif.append('\0');
  gif.append('\0');
  for (int i = 0; i < 4; ++i) {
    const std::uint32_t rgb = i < static_cast<int>(palette.size()) ? palette[i] : 0;
    gif.append(static_cast<char>((rgb >> 16) & 0xff));
    gif.append(static_cast<char>((rgb >> 8) & 0xff));
    gif.append(static_cast<char>(rgb & 0xff));
  }
  if (transparent >= 0) {
    gif.append("\x21\xf9\x04\x01\x00\x00", 6);
    gif.append(static_cast<char>(transparent));
    gif.append('\0');
  }
  gif.append(',');
  word(0);
  word(0);
  word(width);
  word(height);
  gif.append('\0');
  std::vector<int> codes;
  for (std::size_t i = 0; i < indices.size(); ++i) {
    if (i % 2 == 0) {
      codes.push_back(4);  // clear
    }
    codes.push_back(indices[i]);
  }
  codes.push_back(5);  // end of information
  QByteArray data;
  std::uint32_t bits = 0;
  int count = 0;
  for (const int code : codes) {
    bits |= static_cast<std::uint32_t>(code) << count;
    count += 3;
    while (count >= 8) {
      data.append(static_cast<char>(bits & 0xff));
      bits >>= 8;
      count -= 8;
    }
  }
  if (count > 0) {
    data.append(static_cast<char>(bits & 0xff));
  }
  gif.append('\x02');  // minimum code size
  for (qsizetype at = 0; at < data.size(); at += 255) {
    const QByteArray block = data.mid(at, 255);
    gif.append(static_cast<char>(block.size()));
    gif.append(block);
  }
  gif.append('\0');
  gif.append(';');
  return gif;
}

QImage Pattern(int width, int height, const std::vector<std::uint32_t>& rgb) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.setPixel(x, y, 0xff000000u | rgb[static_cast<std::size_t>(y * width + x)]);
    }
  }
  return image;
}

class QtPictureLoaderTest : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }
  void Write(const char* name, const QByteArray& bytes) const {
    QFile file(dir.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
  }

  QTemporaryDir dir;
  QtPictureLoader loader;
};

TEST_F(QtPictureLoaderTest, ReadsGifJpegAndBmpIntoOpaquePixels) {
  Write("map.gif", TinyGif(3, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, {0, 1, 2, 3, 2, 1}));
  const Picture gif = loader.LoadPicture(Path("map.gif"));
  ASSERT_EQ(gif.width, 3);
  ASSERT_EQ(gif.height, 2);
  EXPECT_EQ(gif.pixels, (std::vector<std::uint32_t>{0xffff0000u, 0xff00ff00u, 0xff0000ffu,
                                                    0xffffffffu, 0xff0000ffu, 0xff00ff00u}));

  const std::vector<std::uint32_t> rgb = {0x102030, 0x405060, 0x708090, 0xA0B0C0,
                                          0xD0E0F0, 0x000000, 0xFFFFFF, 0x123456};
  ASSERT_TRUE(Pattern(4, 2, rgb).save(dir.filePath("sprite.bmp"), "BMP"));
  const Picture bmp = loader.LoadPicture(Path("sprite.bmp"));
  ASSERT_EQ(bmp.width, 4);
  ASSERT_EQ(bmp.height, 2);
  for (std::size_t i = 0; i < rgb.size(); ++i) {
    EXPECT_EQ(bmp.pixels[i], 0xff000000u | rgb[i]) << i;
  }

  // A photograph's format: lossy, so only near the colour written.
  QImage photo(16, 8, QImage::Format_RGB32);
  photo.fill(QColor(200, 120, 40));
  ASSERT_TRUE(photo.save(dir.filePath("地図 写真.jpeg"), "JPEG", 100));
  const Picture jpeg = loader.LoadPicture(Path("地図 写真.jpeg"));
  ASSERT_EQ(jpeg.width, 16);
  ASSERT_EQ(jpeg.height, 8);
  const std::uint32_t centre = jpeg.pixels[4 * 16 + 8];
  EXPECT_EQ(centre >> 24, 0xffu);
  EXPECT_NEAR(static_cast<int>((centre >> 16) & 0xff), 200, 3);
  EXPECT_NEAR(static_cast<int>((centre >> 8) & 0xff), 120, 3);
  EXPECT_NEAR(static_cast<int>(centre & 0xff), 40, 3);
}

TEST_F(QtPictureLoaderTest, TransparentPartsComeOutWhite) {
  Write("holes.gif", TinyGif(2, 1, {0x000000, 0x00FF00}, {0, 1}, 0));
  const Picture gif = loader.LoadPicture(Path("holes.gif"));
  ASSERT_EQ(gif.pixels.size(), 2u);
  EXPECT_EQ(gif.pixels[0], 0xffffffffu);
  EXPECT_EQ(gif.pixels[1], 0xff00ff00u);
}

TEST_F(QtPictureLoaderTest, PixelsAGifNeverPaintsComeOutWhite) {
  // The codes stop after three of eight pixels: the rest stay clear in a picture stored as
  // opaque, and must not come out as black.
  const QByteArray gif = TinyGif(4, 2, {0xFF0000, 0x00FF00, 0x0000FF}, {0, 1, 2});
  const Picture picture = DecodePicture(gif, "short.gif");
  ASSERT_EQ(picture.pixels.size(), 8u);
  EXPECT_EQ(picture.pixels[0], 0xffff0000u);
  EXPECT_EQ(picture.pixels[2], 0xff0000ffu);
  for (std::size_t i = 3; i < 8; ++i) {
    EXPECT_EQ(picture.pixels[i], 0xffffffffu) << i;
  }
}

TEST_F(QtPictureLoaderTest, TheLimitHoldsWhateverTheFormat) {
  const QByteArray gif = TinyGif(64, 32, {0x102030}, std::vector<int>(64 * 32, 0));
  EXPECT_EQ(DecodePicture(gif, "edge.gif", 4 * 64 * 32).pixels.size(), 64u * 32u);
  const RunError over = ErrorOf([&] { DecodePicture(gif, "edge.gif", 4 * 64 * 32 - 1); });
  EXPECT_EQ(over.number(), err::kOutOfMemory);
  EXPECT_NE(over.description().find("\"edge.gif\" (64 × 32 ピクセル)"), std::string::npos)
      << over.description();

  QImage photo(300, 200, QImage::Format_RGB32);
  photo.fill(QColor(10, 20, 30));
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
  ASSERT_TRUE(photo.save(&buffer, "JPEG"));
  EXPECT_EQ(ErrorNumberOf([&] { DecodePicture(jpeg, "photo.jpg", 4 * 300 * 200 - 4); }),
            err::kOutOfMemory);
  EXPECT_EQ(DecodePicture(jpeg, "photo.jpg", 4 * 300 * 200).width, 300);
}

// The fuzzer's seeds (every layout of GIF, BMP and JPEG the decoders branch on) all read, and
// what it once tripped over reads or is refused with a reason; whatever reads is opaque.
TEST_F(QtPictureLoaderTest, FuzzInputsReadOrAreRefused) {
  const std::filesystem::path folder =
      std::filesystem::path(OMBRIX_FIXTURES_DIR) / "fuzz" / "picture";
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    const bool found = name.starts_with("found_");
    try {
      const Picture picture = loader.LoadPicture(entry.path().string());
      ASSERT_GT(picture.width, 0);
      ASSERT_EQ(picture.pixels.size(),
                static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
      for (const std::uint32_t pixel : picture.pixels) {
        ASSERT_EQ(pixel >> 24, 0xffu);
      }
    } catch (const RunError& e) {
      EXPECT_TRUE(found) << e.description();
      EXPECT_TRUE(e.number() == err::kInvalidPicture || e.number() == err::kOutOfMemory)
          << e.description();
    }
    seeds += found ? 0 : 1;
  }
  EXPECT_GE(seeds, 20);
}

TEST_F(QtPictureLoaderTest, FailuresNameTheFile) {
  const RunError missing = ErrorOf([&] { loader.LoadPicture(Path("nowhere.gif")); });
  EXPECT_EQ(missing.number(), err::kFileNotFound);
  EXPECT_NE(missing.description().find(Path("nowhere.gif")), std::string::npos);

  Write("notes.gif", "these are notes, not a picture");
  const RunError text = ErrorOf([&] { loader.LoadPicture(Path("notes.gif")); });
  EXPECT_EQ(text.number(), err::kInvalidPicture);
  EXPECT_NE(text.description().find(Path("notes.gif")), std::string::npos);

  QByteArray cut = TinyGif(3, 2, {0xFF0000}, {0, 0, 0, 0, 0, 0});
  cut.truncate(20);
  Write("cut.gif", cut);
  EXPECT_EQ(ErrorNumberOf([&] { loader.LoadPicture(Path("cut.gif")); }), err::kInvalidPicture);

  // A header asking for 16000 x 16000 pixels (1 GB decoded): out of memory, with the size.
  QByteArray huge("BM");
  const auto le32 = [&huge](std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
      huge.append(static_cast<char>(v >> (8 * i)));
  };
  le32(54 + 64), le32(0), le32(54), le32(40), le32(16000), le32(16000);
  huge.append("\x01\x00\x18\x00", 4);  // one plane, 24 bits a pixel
  for (int i = 0; i < 6 + 16; ++i)
    le32(0);
  Write("huge.bmp", huge);
  const RunError big = ErrorOf([&] { loader.LoadPicture(Path("huge.bmp")); });
  EXPECT_EQ(big.number(), err::kOutOfMemory);
  EXPECT_EQ(big.description().rfind("メモリが足りません: 画像ファイル \"" + Path("huge.bmp") +
                                        "\" (16000 × 16000 ピクセル) の展開には 976 MB",
                                    0),
            0u)
      << big.description();

  EXPECT_EQ(ErrorNumberOf([&] { loader.LoadPicture(dir.path().toStdString()); }),
            err::kPathFileAccess);
  EXPECT_EQ(ErrorNumberOf([&] { loader.LoadPicture(""); }), err::kFileNotFound);
}

}  // namespace
}  // namespace ombrix::qt
