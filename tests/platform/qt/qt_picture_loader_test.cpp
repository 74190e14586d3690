#include "platform/qt/qt_picture_loader.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fakes/error_capture.h"

namespace ombrix::qt {
namespace {

// Qt reads GIF but cannot write it: the GIFs are the fuzzer's seeds, whose layouts
// tests/make_picture_seeds.py spells out.
std::string Seed(const char* name) {
  return std::string(OMBRIX_FIXTURES_DIR) + "/fuzz/picture/" + name;
}

QByteArray SeedBytes(const char* name) {
  QFile file(QString::fromStdString(Seed(name)));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
  return file.readAll();
}

constexpr std::uint32_t kRed = 0xffff0000u, kGreen = 0xff00ff00u, kBlue = 0xff0000ffu;
constexpr std::uint32_t kWhite = 0xffffffffu;

class QtPictureLoaderTest : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }
  void Write(const char* name, const QByteArray& bytes) const {
    std::ofstream(Path(name), std::ios::binary).write(bytes.constData(), bytes.size());
  }

  QTemporaryDir dir;
  QtPictureLoader loader;
};

TEST_F(QtPictureLoaderTest, ReadsGifAndJpegIntoOpaquePixels) {
  // Four by three, palette red, green, blue, white. (A bitmap's pixels take the same way out:
  // the window's map test reads one.)
  const Picture gif = loader.LoadPicture(Seed("plain87a.gif"));
  ASSERT_EQ(gif.width, 4);  // and so 3 high, with the 12 pixels
  EXPECT_EQ(gif.pixels, (std::vector<std::uint32_t>{kRed, kGreen, kBlue, kWhite, kWhite, kBlue,
                                                    kGreen, kRed, kRed, kRed, kGreen, kGreen}));

  // A photograph, by a name that is not ASCII; its colours take the GIF's way out.
  QImage photo(16, 8, QImage::Format_RGB32);
  photo.fill(QColor(200, 120, 40));
  ASSERT_TRUE(photo.save(dir.filePath("地図 写真.jpeg"), "JPEG", 100));
  const Picture jpeg = loader.LoadPicture(Path("地図 写真.jpeg"));
  ASSERT_EQ(jpeg.width, 16);
  EXPECT_EQ(jpeg.height, 8);
}

TEST_F(QtPictureLoaderTest, TransparentAndNeverPaintedPixelsComeOutWhite) {
  // A 4 x 3 frame at (1, 1) with its own palette; index 0 is transparent.
  const Picture gif = loader.LoadPicture(Seed("transparent_local.gif"));
  ASSERT_EQ(gif.width, 6);
  ASSERT_EQ(gif.pixels.size(), 30u);
  EXPECT_EQ(gif.pixels[1 * 6 + 1], kWhite);
  EXPECT_EQ(gif.pixels[1 * 6 + 2], 0xffc86400u);  // index 1: (200, 100, 0)
  EXPECT_EQ(gif.pixels[2 * 6 + 1], 0xff005ab4u);  // index 2: (0, 90, 180)
  // The codes stop after three of eight pixels: the rest stay clear in a picture stored as
  // opaque, and must not come out as black.
  EXPECT_EQ(
      loader.LoadPicture(Seed("found_gif_codes_stop_early.gif")).pixels,
      (std::vector<std::uint32_t>{kRed, kGreen, kBlue, kWhite, kWhite, kWhite, kWhite, kWhite}));
}

TEST_F(QtPictureLoaderTest, TheMemoryLimitHoldsToTheByteAndTheRefusalNamesTheSize) {
  const QByteArray gif = SeedBytes("wide_codes.gif");  // 64 x 64
  EXPECT_EQ(DecodePicture(gif, "edge.gif", 4 * 64 * 64).pixels.size(), 64u * 64u);
  const RunError over = ErrorOf([&] { DecodePicture(gif, "edge.gif", 4 * 64 * 64 - 1); });
  EXPECT_EQ(over.number(), err::kOutOfMemory);
  EXPECT_NE(over.description().find("\"edge.gif\" (64 × 64 ピクセル)"), std::string::npos)
      << over.description();
}

// The fuzzer's seeds (every layout of GIF, BMP and JPEG the decoders branch on) all read, and
// what it once tripped over reads or is refused with a reason; whatever reads is opaque.
TEST_F(QtPictureLoaderTest, FuzzInputsReadOrAreRefused) {
  const std::filesystem::path folder = std::filesystem::path(Seed(""));
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
  Write("notes.gif", "these are notes, not a picture");
  Write("cut.gif", SeedBytes("plain87a.gif").left(20));
  const std::pair<std::string, int> refused[] = {{Path("nowhere.gif"), err::kFileNotFound},
                                                 {Path("notes.gif"), err::kInvalidPicture},
                                                 {Path("cut.gif"), err::kInvalidPicture},
                                                 {dir.path().toStdString(), err::kPathFileAccess},
                                                 {"", err::kFileNotFound}};
  for (const auto& [path, number] : refused) {
    const RunError error = ErrorOf([&] { loader.LoadPicture(path); });
    EXPECT_EQ(error.number(), number) << path;
    EXPECT_NE(error.description().find("\"" + path + "\""), std::string::npos)
        << error.description();
  }

  // A header for 16000 x 16000 pixels at 24 bits (1 GB decoded): out of memory, with the size.
  Write("huge.bmp", QByteArray::fromHex("424d76000000000000003600000028000000803e0000803e0000"
                                        "01001800") +
                        QByteArray(88, '\0'));
  const RunError big = ErrorOf([&] { loader.LoadPicture(Path("huge.bmp")); });
  EXPECT_EQ(big.number(), err::kOutOfMemory);
  EXPECT_EQ(big.description().rfind("メモリが足りません: 画像ファイル \"" + Path("huge.bmp") +
                                        "\" (16000 × 16000 ピクセル) の展開には 976 MB",
                                    0),
            0u)
      << big.description();
}

}  // namespace
}  // namespace ombrix::qt
