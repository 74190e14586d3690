#include "sheet/xls/ole_writer.h"
#include "sheet/xls/gobject_ptr.h"

#include <gsf/gsf.h>

#include <memory>
#include <stdexcept>

namespace ombrix::sheet::xls {
namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error("libgsf could not write the compound file: " + what);
}

}  // namespace

std::vector<std::uint8_t> WriteCompoundFile(
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& streams) {
  gsf_init();
  GPtr<GsfOutput> sink(gsf_output_memory_new());
  {
    GPtr<GsfOutfile> ole(gsf_outfile_msole_new(sink.get()));
    if (!ole) {
      Fail("no compound file");
    }
    for (const auto& [name, bytes] : streams) {
      GPtr<GsfOutput> child(gsf_outfile_new_child(ole.get(), name.c_str(), FALSE));
      if (!child) {
        Fail("stream " + name);
      }
      if (!bytes.empty() && !gsf_output_write(child.get(), bytes.size(), bytes.data())) {
        Fail("writing " + name);
      }
      if (!gsf_output_close(child.get())) {
        Fail("closing " + name);
      }
    }
    if (!gsf_output_close(GSF_OUTPUT(ole.get()))) {
      Fail("closing the compound file");
    }
  }
  const guint8* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink.get()));
  const gsf_off_t size = gsf_output_size(sink.get());
  if (data == nullptr || size <= 0) {
    Fail("empty output");
  }
  return std::vector<std::uint8_t>(data, data + size);
}

}  // namespace ombrix::sheet::xls
