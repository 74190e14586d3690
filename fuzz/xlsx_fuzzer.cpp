// libFuzzer harness of the .xlsx reader: any bytes must either read or fail with RunError.
// Input starting "PK" is taken as the archive itself. Any other input is XML: the text before
// the first NUL byte becomes the sheet and the rest the shared-string table of a small stored
// workbook, so mutations reach the XML readers instead of dying at the archive's checksums.

#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/run_error.h"
#include "sheet/xlsx/xlsx_reader.h"

namespace {

struct ArchiveDiscard {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct SourceFree {
  void operator()(zip_source_t* source) const { zip_source_free(source); }
};

// The archive bytes of a one-sheet workbook around `sheet` and `strings`; empty on failure.
std::vector<std::uint8_t> WrapXml(std::string_view sheet, std::string_view strings) {
  static const std::string kRels =
      R"(<Relationships><Relationship Id="r1" Type="x/officeDocument" Target="xl/workbook.xml"/></Relationships>)";
  static const std::string kWorkbook =
      R"(<workbook xmlns:r="r"><sheets><sheet name="s" r:id="r1"/></sheets></workbook>)";
  static const std::string kWorkbookRels =
      R"(<Relationships><Relationship Id="r1" Type="x/worksheet" Target="worksheets/sheet1.xml"/>)"
      R"(<Relationship Id="r2" Type="x/sharedStrings" Target="sharedStrings.xml"/></Relationships>)";
  zip_error_t error;
  zip_error_init(&error);
  std::unique_ptr<zip_source_t, SourceFree> buffer(zip_source_buffer_create(nullptr, 0, 0, &error));
  zip_error_fini(&error);
  if (!buffer) {
    return {};
  }
  zip_source_keep(buffer.get());  // read back after the archive closes
  std::unique_ptr<zip_t, ArchiveDiscard> archive(
      zip_open_from_source(buffer.get(), ZIP_TRUNCATE, nullptr));
  if (!archive) {
    zip_source_free(buffer.get());  // drop the reference kept for the archive
    return {};
  }
  const std::pair<const char*, std::string_view> entries[] = {
      {"_rels/.rels", kRels},
      {"xl/workbook.xml", kWorkbook},
      {"xl/_rels/workbook.xml.rels", kWorkbookRels},
      {"xl/worksheets/sheet1.xml", sheet},
      {"xl/sharedStrings.xml", strings}};
  for (const auto& [name, data] : entries) {
    zip_source_t* source = zip_source_buffer(archive.get(), data.data(), data.size(), 0);
    const zip_int64_t index = source ? zip_file_add(archive.get(), name, source, 0) : -1;
    if (index < 0) {
      zip_source_free(source);
      return {};
    }
    zip_set_file_compression(archive.get(), static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
  }
  if (zip_close(archive.get()) != 0) {
    return {};
  }
  archive.release();  // closed, and freed by zip_close
  std::vector<std::uint8_t> bytes;
  zip_stat_t st;
  if (zip_source_stat(buffer.get(), &st) != 0 || zip_source_open(buffer.get()) != 0) {
    return {};
  }
  bytes.resize(st.size);
  const zip_int64_t got = zip_source_read(buffer.get(), bytes.data(), bytes.size());
  zip_source_close(buffer.get());
  if (got < 0 || static_cast<std::uint64_t>(got) != st.size) {
    return {};
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(data, data + size);
  if (size < 2 || data[0] != 'P' || data[1] != 'K') {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = text.find('\0');
    bytes = WrapXml(text.substr(0, nul),
                    nul == std::string_view::npos ? std::string_view{} : text.substr(nul + 1));
  }
  try {
    ombrix::sheet::ReadXlsxBytes(bytes, "fuzz.xlsx");
  } catch (const ombrix::RunError&) {
  }
  return 0;
}
