#pragma once
// A read-only view of a ZIP archive through libzip: the entries in their stored order and their
// bytes, read under limits so a crafted archive cannot exhaust memory.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct zip;

namespace ombrix::sheet::xlsx {

// What one entry may cost when it is unpacked. 256 MiB holds the sheet of a mesh several times
// the size the program draws comfortably, and keeps a sheet of the smallest cells (16 bytes of
// XML each, 16 bytes each once read) within 1 GiB while its text and cells are both alive.
struct ZipLimits {
  std::uint64_t max_entry_bytes = std::uint64_t{256} * 1024 * 1024;
  std::uint64_t max_ratio = 200;  // unpacked bytes per packed byte
};

struct ZipEntry {
  std::string name;
  std::uint64_t index = 0;            // libzip's index of the entry
  std::uint64_t size = 0;             // unpacked size as the archive states it
  std::uint64_t compressed_size = 0;  // packed size as the archive states it
  bool encrypted = false;
  bool deflated = false;  // packed by deflate, the method office programs use
  std::uint32_t crc = 0;  // checksum of the unpacked bytes as the archive states it
};

class ZipArchive {
 public:
  // Opens the file at `path`. Errors: 53 when it does not exist, 75 when it cannot be read, 321
  // when it is not a ZIP archive or its directory is inconsistent.
  static ZipArchive OpenFile(const std::string& path, ZipLimits limits = {});
  // Opens an archive held in memory; `bytes` must outlive the archive. `path` names it in errors.
  static ZipArchive OpenBytes(const std::vector<std::uint8_t>& bytes, const std::string& path,
                              ZipLimits limits = {});

  // Every entry in the order the archive stores them (the order a rewrite keeps).
  const std::vector<ZipEntry>& entries() const { return entries_; }
  // The entry named `name` (case-sensitive first, then ignoring ASCII case), or nullptr.
  const ZipEntry* Find(std::string_view name) const;
  // The unpacked bytes of `entry`. Error 321 when the entry breaks the limits, is encrypted, or
  // its data are damaged; the bytes actually inflated are counted, not taken from the header.
  std::string Read(const ZipEntry& entry) const;
  const std::string& path() const { return path_; }

 private:
  struct Closer {
    void operator()(zip* archive) const;
  };
  ZipArchive(std::unique_ptr<zip, Closer> archive, std::string path, ZipLimits limits);
  std::string Inflate(const ZipEntry& entry) const;

  std::unique_ptr<zip, Closer> archive_;
  std::string path_;
  ZipLimits limits_;
  std::vector<ZipEntry> entries_;
};

}  // namespace ombrix::sheet::xlsx
