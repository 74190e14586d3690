#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>

#include "fakes/error_capture.h"
#include "platform/qt/qt_surface.h"
#include "platform/qt/qt_text.h"

namespace ombrix::qt {
namespace {

// Pixels set straight into the image and ones the painter draws (still open at the save).
void DrawSample(QtSurface& s) {
  s.FilledBox(10, 10, 120, 70, RGB(0, 160, 0));
  s.SetDrawWidth(2);
  s.Line(0, 99, 199, 0, RGB(0, 0, 255));
  s.SetCurrentX(20);
  s.SetCurrentY(75);
  s.Print(" 12.5 等高線");
}

std::string Path(const QTemporaryDir& dir, const char* name) {
  return ToStdString(dir.filePath(QString::fromUtf8(name)));
}

// The pixels of a saved file, whatever its format, as 0xffRRGGBB like the surface's.
QImage ReadRgb32(const std::string& path) {
  return QImage(ToQString(path)).convertToFormat(QImage::Format_RGB32);
}

QStringList Entries(const QTemporaryDir& dir) {
  return QDir(dir.path())
      .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

TEST(QtSurfaceSave,
     WritesAWindowsBitmapThatReadsBackPixelForPixelOrHandsItToAFileSaverAndReplacesAnEarlierOne) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QtSurface s(200, 100);
  DrawSample(s);
  const std::string path = Path(dir, "ContourMap.BMP");
  s.SavePicture(path);

  QFile file(ToQString(path));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray written = file.readAll();
  ASSERT_GE(written.size(), 18);
  EXPECT_EQ(written.left(2), QByteArray("BM"));
  EXPECT_EQ(static_cast<unsigned char>(written[14]), 40);  // BITMAPINFOHEADER, read everywhere
  EXPECT_EQ(ReadRgb32(path), s.image());

  // A file saver gets the same bytes, and the path as it is.
  std::string seen_path;
  s.SetFileSaver([&](const std::string& to, std::span<const std::uint8_t> bytes) {
    seen_path = to;
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(bytes.data()),
                         static_cast<qsizetype>(bytes.size())),
              written);
  });
  s.SavePicture("/no/such/folder/m\xff.BMP");
  EXPECT_EQ(seen_path, "/no/such/folder/m\xff.BMP");

  // A later, smaller picture of the same name replaces it.
  QtSurface second(30, 20);
  second.Line(0, 0, 29, 19, RGB(0, 0, 255));
  second.SavePicture(path);
  EXPECT_EQ(ReadRgb32(path), second.image());
  EXPECT_EQ(Entries(dir), QStringList{QStringLiteral("ContourMap.BMP")});
}

TEST(QtSurfaceSave, AFailedSaveIsError75AndLeavesNothingBehind) {
  QTemporaryDir dir;
  std::ofstream(Path(dir, "notes.txt")) << "not a folder";
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken.BMP")));
  QtSurface s(20, 10);
  DrawSample(s);

  const std::string cases[] = {
      Path(dir, "missing/ContourMap.BMP"),                  // a folder that is not there
      Path(dir, "taken.BMP"),                               // a folder of the picture's name
      Path(dir, (std::string(300, 'x') + ".BMP").c_str()),  // a name too long for a file
  };
  for (const std::string& path : cases) {
    const RunError error = ErrorOf([&] { s.SavePicture(path); });
    EXPECT_EQ(error.number(), 75) << path;
    const std::string description = error.description();
    EXPECT_EQ(description.rfind("画像ファイル \"" + path + "\" を書き込めません: ", 0), 0u)
        << description;
    // The system's reason follows the colon.
    EXPECT_GT(description.size(), description.find(": ") + 2) << description;
    EXPECT_EQ(Entries(dir), (QStringList{QStringLiteral("notes.txt"), QStringLiteral("taken.BMP")}))
        << path;
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("taken.BMP"))).isEmpty());
  }
}

// The disk fills up mid-way: a file-size limit makes the system refuse bytes as a full disk does.
TEST(QtSurfaceSave, RunningOutOfSpaceMidWayLeavesNoPartialFile) {
  QTemporaryDir dir;
  QtSurface s(200, 100);  // some 60 kB as a bitmap
  DrawSample(s);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 1000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const RunError error = ErrorOf([&] { s.SavePicture(Path(dir, "ContourMap.BMP")); });
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous_handler);

  EXPECT_EQ(error.number(), 75);
  // The system's own reason, not an unknown error.
  EXPECT_NE(error.description().find("ContourMap.BMP\" を書き込めません: " +
                                     std::string(std::strerror(EFBIG))),
            std::string::npos)
      << error.description();
  EXPECT_TRUE(Entries(dir).isEmpty()) << Entries(dir).join(QStringLiteral(", ")).toStdString();
}

}  // namespace
}  // namespace ombrix::qt
