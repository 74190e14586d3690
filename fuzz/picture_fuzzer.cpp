// libFuzzer harness of the picture loader (background maps and sprites): any bytes must give an
// opaque picture whose pixels match its size and stay within the decoding limit, or a RunError
// naming the file (unreadable picture, or too large). Anything else traps.

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImageReader>
#include <QtGlobal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "model/run_error.h"
#include "platform/qt/qt_picture_loader.h"

namespace {

// Far below the program's limit, so that a header claiming a large picture costs the fuzzer
// milliseconds; the limit is checked the same way whatever its value.
constexpr std::uint64_t kFuzzMaxPictureBytes = std::uint64_t{4} << 20;
const std::string kName = "fuzz.picture";

// Qt's decoders are the system's, built without coverage, so the fuzzer would not see which of
// their paths an input took. What they say stands in: each distinct warning, refusal and
// detected format (digits left out, so that "12 extraneous bytes" and "13 ..." count once)
// sets a counter that libFuzzer treats as coverage, and inputs that make a decoder say
// something new are kept.
__attribute__((section("__libfuzzer_extra_counters"))) std::uint8_t outcome_counters[1 << 12];

void Note(std::string_view text) {
  std::uint32_t hash = 2166136261u;
  for (const char c : text) {
    if (c < '0' || c > '9') {
      hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
  }
  outcome_counters[hash % sizeof outcome_counters] = 1;
}

// The decoders' complaints about broken input come by the thousand: noted, not printed. A
// critical or fatal message is still printed (and a fatal one still aborts).
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  const QByteArray text = message.toUtf8();
  Note(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    fprintf(stderr, "%s\n", text.constData());
  }
}

// What broke the loader's promise, said before the trap so that a finding explains itself.
[[noreturn]] void Finding(const std::string& what) {
  fprintf(stderr, "picture_fuzzer: %s\n", what.c_str());
  __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The program reads pictures inside a GUI application (the window, or headless on the
  // offscreen platform); the image format plugins are found the same way here.
  static int argc = 1;
  static char name[] = "picture_fuzzer";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static const auto application = std::make_unique<QGuiApplication>(argc, argv);
  qInstallMessageHandler(QuietMessages);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  {
    QBuffer device;
    device.setData(bytes);
    device.open(QIODevice::ReadOnly);
    const QByteArray format = QImageReader::imageFormat(&device);
    Note(std::string_view(format.constData(), static_cast<std::size_t>(format.size())));
  }
  ombrix::Picture picture;
  try {
    picture = ombrix::qt::DecodePicture(bytes, kName, kFuzzMaxPictureBytes);
  } catch (const ombrix::RunError& error) {
    if (error.number() != ombrix::err::kInvalidPicture &&
        error.number() != ombrix::err::kOutOfMemory) {
      Finding("error " + std::to_string(error.number()) + ": " + error.description());
    }
    if (error.description().find(kName) == std::string::npos) {
      Finding("the message does not name the file: " + error.description());
    }
    Note(error.description());
    return 0;
  }
  const std::uint64_t count =
      static_cast<std::uint64_t>(picture.width) * static_cast<std::uint64_t>(picture.height);
  const std::string shape = std::to_string(picture.width) + " x " + std::to_string(picture.height) +
                            ", " + std::to_string(picture.pixels.size()) + " pixels";
  if (picture.width <= 0 || picture.height <= 0 || picture.pixels.size() != count) {
    Finding("a picture of " + shape);
  }
  if (4 * count > kFuzzMaxPictureBytes) {
    Finding("a picture beyond the limit: " + shape);
  }
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
    if ((picture.pixels[i] >> 24) != 0xffu) {
      char value[16];
      snprintf(value, sizeof value, "%08x", picture.pixels[i]);
      Finding("pixel " + std::to_string(i) + " of " + shape + " is not opaque: " + value);
    }
  }
  return 0;
}
