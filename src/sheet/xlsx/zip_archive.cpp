#include "sheet/xlsx/zip_archive.h"

#include <libdeflate.h>
#include <zip.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

#include "model/run_error.h"
#include "sheet/refusal_reasons.h"
#include "sheet/xlsx/xlsx_error.h"
#include "sheet/xlsx/zip_handles.h"

namespace ombrix::sheet::xlsx {
namespace {

std::string MiB(std::uint64_t bytes) {
  return std::to_string(bytes / (1024 * 1024)) + " MiB";
}

[[noreturn]] void ThrowOpenError(const std::string& path, zip_error_t* error) {
  const int code = zip_error_code_zip(error);
  switch (code) {
    case ZIP_ER_NOENT: {
      // libzip says this also of an entry it cannot find in an archive that exists.
      std::error_code ec;
      if (std::filesystem::exists(path, ec)) {
        ThrowNotWorkbook(path, "ZIP の目次にある項目が見つかりません");
      }
      throw RunError(err::kFileNotFound, "ファイルが見つかりません: \"" + path + "\"");
    }
    case ZIP_ER_OPEN:
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
      throw RunError(err::kPathFileAccess,
                     "ファイル \"" + path + "\" を読めません: " + zip_error_strerror(error));
    case ZIP_ER_NOZIP:
      ThrowNotWorkbook(path, "ZIP 形式のファイルではありません");
    case ZIP_ER_INCONS:
      ThrowNotWorkbook(path,
                       "ZIP の構造が壊れています (途中で切れているか、目次と中身が合いません)");
    case ZIP_ER_MEMORY:
      throw RunError(err::kOutOfMemory, "ファイル \"" + path + "\" を開くメモリが足りません");
    default:
      ThrowNotWorkbook(path,
                       std::string("ZIP として開けません (") + zip_error_strerror(error) + ")");
  }
}

// Why an entry whose unpacked bytes do not match the size its header states is refused.
std::string LongerThanStated(const ZipEntry& entry) {
  return "展開したデータが ZIP の目次にある大きさ (" + std::to_string(entry.size) +
         " バイト) を超えています";
}

std::string ShorterThanStated(const ZipEntry& entry, std::uint64_t got) {
  return "展開したデータが " + std::to_string(got) + " バイトしかなく、ZIP の目次にある " +
         std::to_string(entry.size) + " バイトに足りません";
}

struct DecompressorFree {
  void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return lower(x) == lower(y);
  });
}

}  // namespace

void ZipArchive::Closer::operator()(zip* archive) const {
  zip_discard(archive);
}

ZipArchive::ZipArchive(std::unique_ptr<zip, Closer> archive, std::string path, ZipLimits limits)
    : archive_(std::move(archive)), path_(std::move(path)), limits_(limits) {
  const zip_int64_t count = zip_get_num_entries(archive_.get(), 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive_.get(), static_cast<zip_uint64_t>(i), 0, &st) != 0 ||
        (st.valid & ZIP_STAT_NAME) == 0 || st.name == nullptr) {
      ThrowNotWorkbook(path_, "ZIP の目次の " + std::to_string(i + 1) + " 番目の項目を読めません");
    }
    ZipEntry entry;
    entry.name = st.name;
    entry.index = static_cast<std::uint64_t>(i);
    entry.size = (st.valid & ZIP_STAT_SIZE) != 0 ? st.size : 0;
    entry.compressed_size = (st.valid & ZIP_STAT_COMP_SIZE) != 0 ? st.comp_size : 0;
    entry.encrypted =
        (st.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 && st.encryption_method != ZIP_EM_NONE;
    entry.deflated = (st.valid & ZIP_STAT_COMP_METHOD) != 0 && (st.valid & ZIP_STAT_CRC) != 0 &&
                     st.comp_method == ZIP_CM_DEFLATE;
    entry.crc = st.crc;
    entries_.push_back(std::move(entry));
  }
}

ZipArchive ZipArchive::OpenFile(const std::string& path, ZipLimits limits) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec) && std::filesystem::is_regular_file(path, ec) &&
      std::filesystem::file_size(path, ec) == 0 && !ec) {
    ThrowNotWorkbook(path, "ファイルが空です");
  }
  int code = 0;
  zip_t* raw = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
  if (raw == nullptr) {
    ZipErrorHolder error;
    zip_error_init_with_code(&error.error, code);
    ThrowOpenError(path, &error.error);
  }
  return ZipArchive(std::unique_ptr<zip, Closer>(raw), path, limits);
}

ZipArchive ZipArchive::OpenBytes(const std::vector<std::uint8_t>& bytes, const std::string& path,
                                 ZipLimits limits) {
  if (bytes.empty()) {
    ThrowNotWorkbook(path, "ファイルが空です");
  }
  ZipErrorHolder error;
  std::unique_ptr<zip_source_t, SourceFree> source(
      zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error.error));
  if (!source) {
    ThrowOpenError(path, &error.error);
  }
  zip_t* raw = zip_open_from_source(source.get(), ZIP_RDONLY | ZIP_CHECKCONS, &error.error);
  if (raw == nullptr) {
    ThrowOpenError(path, &error.error);  // the source is still ours and freed on unwinding
  }
  source.release();  // the archive owns it now
  return ZipArchive(std::unique_ptr<zip, Closer>(raw), path, limits);
}

const ZipEntry* ZipArchive::Find(std::string_view name) const {
  for (const ZipEntry& entry : entries_) {
    if (entry.name == name) {
      return &entry;
    }
  }
  // Part names compare without regard to case; some writers change it.
  for (const ZipEntry& entry : entries_) {
    if (EqualsIgnoringAsciiCase(entry.name, name)) {
      return &entry;
    }
  }
  return nullptr;
}

std::string ZipArchive::Read(const ZipEntry& entry) const {
  const auto refuse = [&](const std::string& why) { ThrowBrokenPart(path_, entry.name, why); };
  if (entry.encrypted) {
    // A package whose parts are zip-encrypted is locked, not damaged.
    throw RunError(err::kBadFileFormat,
                   "ファイル \"" + path_ + "\" は読み込めません: " + reason::kPasswordProtected);
  }
  if (entry.size > limits_.max_entry_bytes) {
    refuse("展開すると " + std::to_string(entry.size) + " バイトになり、上限の " +
           MiB(limits_.max_entry_bytes) + " を超えます");
  }
  const std::uint64_t ratio = std::max<std::uint64_t>(limits_.max_ratio, 1);
  if (entry.compressed_size < (entry.size + ratio - 1) / ratio) {
    refuse("圧縮率が " + std::to_string(ratio) + ":1 を超えています (" +
           std::to_string(entry.compressed_size) + " バイトから " + std::to_string(entry.size) +
           " バイト)。ZIP 爆弾の疑いがあるため読みません");
  }
  if (entry.compressed_size > limits_.max_entry_bytes) {
    refuse("圧縮したままで " + std::to_string(entry.compressed_size) + " バイトあり、上限の " +
           MiB(limits_.max_entry_bytes) + " を超えます");
  }
  if (entry.deflated) {
    return Inflate(entry);
  }
  std::unique_ptr<zip_file_t, FileClose> file(zip_fopen_index(archive_.get(), entry.index, 0));
  if (!file) {
    refuse(std::string("開けません (") + zip_strerror(archive_.get()) + ")");
  }
  // The header may lie: the bytes actually inflated are counted against what it stated.
  std::string data;
  data.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(entry.size, 64 * 1024 * 1024)));
  std::array<char, 64 * 1024> chunk;
  std::uint64_t total = 0;
  while (true) {
    const zip_int64_t got = zip_fread(file.get(), chunk.data(), chunk.size());
    if (got < 0) {
      refuse(std::string("展開できません (") + zip_file_strerror(file.get()) + ")");
    }
    if (got == 0) {
      break;
    }
    total += static_cast<std::uint64_t>(got);
    if (total > entry.size) {
      refuse(LongerThanStated(entry));
    }
    data.append(chunk.data(), static_cast<std::size_t>(got));
  }
  if (total != entry.size) {
    refuse(ShorterThanStated(entry, total));
  }
  return data;
}

// A deflated part is inflated in one call by libdeflate, several times faster than zlib's
// stream through libzip (the sheet of a large mesh is tens of megabytes of XML). libzip then
// only hands over the packed bytes, so the stated size and checksum are checked here.
std::string ZipArchive::Inflate(const ZipEntry& entry) const {
  const auto refuse = [&](const std::string& why) { ThrowBrokenPart(path_, entry.name, why); };
  std::unique_ptr<zip_file_t, FileClose> file(
      zip_fopen_index(archive_.get(), entry.index, ZIP_FL_COMPRESSED));
  if (!file) {
    refuse(std::string("開けません (") + zip_strerror(archive_.get()) + ")");
  }
  std::string packed(static_cast<std::size_t>(entry.compressed_size), '\0');
  std::size_t have = 0;
  while (have < packed.size()) {
    const zip_int64_t got = zip_fread(file.get(), packed.data() + have, packed.size() - have);
    if (got < 0) {
      refuse(std::string("読めません (") + zip_file_strerror(file.get()) + ")");
    }
    if (got == 0) {
      refuse("圧縮データが " + std::to_string(have) + " バイトで切れています (ZIP の目次では " +
             std::to_string(packed.size()) + " バイト)");
    }
    have += static_cast<std::size_t>(got);
  }
  const std::unique_ptr<libdeflate_decompressor, DecompressorFree> inflater(
      libdeflate_alloc_decompressor());
  if (!inflater) {
    throw RunError(err::kOutOfMemory,
                   "メモリが足りません: \"" + path_ + "\" の " + entry.name + " を展開できません");
  }
  // One byte more than stated tells a header that understates the size from one that is right.
  std::string data(static_cast<std::size_t>(entry.size) + 1, '\0');
  std::size_t produced = 0;
  const libdeflate_result result = libdeflate_deflate_decompress_ex(
      inflater.get(), packed.data(), packed.size(), data.data(), data.size(), nullptr, &produced);
  if (result == LIBDEFLATE_INSUFFICIENT_SPACE ||
      (result == LIBDEFLATE_SUCCESS && produced > entry.size)) {
    refuse(LongerThanStated(entry));
  }
  if (result != LIBDEFLATE_SUCCESS) {
    refuse("展開できません (圧縮データが壊れています)");
  }
  if (produced != entry.size) {
    refuse(ShorterThanStated(entry, produced));
  }
  data.resize(produced);
  if (libdeflate_crc32(0, data.data(), data.size()) != entry.crc) {
    refuse("展開したデータのチェックサム (CRC-32) が ZIP の目次の値と合いません");
  }
  return data;
}

}  // namespace ombrix::sheet::xlsx
