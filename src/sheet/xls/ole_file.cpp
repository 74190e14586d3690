#include "sheet/xls/ole_file.h"

#include <gsf/gsf-infile-impl.h>

#include <algorithm>
#include <array>
#include <mutex>
#include <string>

namespace ombrix::sheet::xls {
namespace {

constexpr std::array<std::uint8_t, 8> kOle2Magic = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::size_t kOleHeaderSize = 512;

// libgsf reports damaged compound files on stderr as well as through its return values; the
// reader raises its own error, so these messages are dropped.
void DropLibgsfMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

void InitLibgsf() {
  static std::once_flag once;
  std::call_once(once, [] {
    gsf_init();
    const auto levels =
        static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL |
                                    G_LOG_LEVEL_MESSAGE | G_LOG_LEVEL_INFO | G_LOG_LEVEL_DEBUG);
    for (const char* domain : {"libgsf:msole", "libgsf"}) {
      g_log_set_handler(domain, levels, DropLibgsfMessage, nullptr);
    }
  });
}

// Checks what libgsf would otherwise trust: the signature, byte order and sector sizes of the
// 512-byte header. The sector chains themselves are checked by libgsf (a chain that loops or
// leaves the file makes the stream unreadable, which is reported below).
void CheckHeader(Bytes file) {
  if (file.empty()) {
    ThrowBroken("ファイルが空です (0 バイト)");
  }
  if (file.size() < kOle2Magic.size() ||
      !std::equal(kOle2Magic.begin(), kOle2Magic.end(), file.begin())) {
    ThrowBroken("OLE2 複合ファイルの署名がなく、Excel 97-2003 のブック (.xls) ではありません");
  }
  if (file.size() < kOleHeaderSize) {
    ThrowBroken("OLE2 複合ファイルの見出し (512 バイト) が途中で切れています (" +
                std::to_string(file.size()) + " バイト)");
  }
  if (U16(file, 0x1C, "OLE2 見出し") != 0xFFFE) {
    ThrowBroken("OLE2 複合ファイルのバイト順の印が正しくありません");
  }
  const std::uint16_t sector_shift = U16(file, 0x1E, "OLE2 見出し");
  const std::uint16_t mini_shift = U16(file, 0x20, "OLE2 見出し");
  if ((sector_shift != 9 && sector_shift != 12) || mini_shift != 6) {
    ThrowBroken("OLE2 複合ファイルのセクターの大きさ (2^" + std::to_string(sector_shift) + ", 2^" +
                std::to_string(mini_shift) + ") が正しくありません");
  }
  // The root directory entry (the first entry of the first directory sector) may have no
  // siblings. libgsf 1.14.50 builds the siblings of the root without a parent and never
  // frees them (a leak found by fuzzing), so such a file is refused here, before libgsf.
  const std::size_t sector_size = std::size_t{1} << sector_shift;
  const std::uint64_t dir_sector = U32(file, 0x30, "OLE2 見出し");
  const std::uint64_t root = (dir_sector + 1) * sector_size;  // the header fills sector -1
  if (dir_sector >= 0xFFFFFFFA || root + 128 > file.size()) {
    ThrowBroken("OLE2 複合ファイルのディレクトリーの位置 (セクター " + std::to_string(dir_sector) +
                ") がファイルの外です");
  }
  const std::size_t r = static_cast<std::size_t>(root);
  if (U8(file, r + 0x42, "ディレクトリー") != 5 ||
      U32(file, r + 0x44, "ディレクトリー") != 0xFFFFFFFF ||
      U32(file, r + 0x48, "ディレクトリー") != 0xFFFFFFFF) {
    ThrowBroken("OLE2 複合ファイルのルート ディレクトリーの項目が正しくありません");
  }
}

}  // namespace

std::string TakeErrorMessage(GError* error) {
  if (error == nullptr) {
    return "原因不明";
  }
  std::string why = error->message != nullptr ? error->message : "原因不明";
  g_error_free(error);
  return why;
}

GPtr<GsfInput> OpenChild(GsfInfile* storage, int index, const std::string& what) {
  // The class's own child_by_index reports the failure through GError instead of printing a
  // warning, as gsf_infile_child_by_index does.
  GError* error = nullptr;
  GPtr<GsfInput> child(
      GSF_INFILE_CLASS(G_OBJECT_GET_CLASS(storage))->child_by_index(storage, index, &error));
  if (!child) {
    ThrowBroken(what + " を開けません (" + TakeErrorMessage(error) + ")");
  }
  if (error != nullptr) {
    g_error_free(error);
  }
  return child;
}

GPtr<GsfInfile> OpenCompoundFile(Bytes file) {
  CheckHeader(file);
  InitLibgsf();
  GPtr<GsfInput> input(
      gsf_input_memory_new(file.data(), static_cast<gsf_off_t>(file.size()), FALSE));
  GError* error = nullptr;
  GPtr<GsfInfile> ole(gsf_infile_msole_new(input.get(), &error));
  if (!ole) {
    ThrowBroken("OLE2 複合ファイルとして開けません (" + TakeErrorMessage(error) + ")");
  }
  return ole;
}

}  // namespace ombrix::sheet::xls
