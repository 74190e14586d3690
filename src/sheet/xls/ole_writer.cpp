#include "sheet/xls/ole_writer.h"

#include <gsf/gsf.h>

#include <memory>
#include <stdexcept>

#include "sheet/xls/gobject_ptr.h"

namespace ombrix::sheet::xls {
namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error("libgsf could not write the compound file: " + what);
}

void SetClassId(GsfOutfile* storage, const OleEntry& entry, const std::string& path) {
  if (!gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(storage), entry.class_id.data())) {
    Fail("class ID of " + path);
  }
}

// The entries of `entry` into `storage`. Recursive: the tree comes from ReadCompoundTree,
// which bounds how deep storages nest.
void WriteChildren(GsfOutfile* storage, const OleEntry& entry, const std::string& path) {
  for (const OleEntry& child : entry.children) {
    const std::string where = path.empty() ? child.name : path + "/" + child.name;
    GPtr<GsfOutput> out(gsf_outfile_new_child(storage, child.name.c_str(), child.is_storage));
    if (!out) {
      Fail("entry " + where);
    }
    if (child.is_storage) {
      SetClassId(GSF_OUTFILE(out.get()), child, where);
      WriteChildren(GSF_OUTFILE(out.get()), child, where);
    } else {
      // A stream's class ID is not written: libgsf writes none, and the format gives streams
      // none. The write-back's read-back check refuses a workbook that had one.
      if (!child.data.empty() &&
          !gsf_output_write(out.get(), child.data.size(), child.data.data())) {
        Fail("writing " + where);
      }
    }
    if (!gsf_output_close(out.get())) {
      Fail("closing " + where);
    }
  }
}

}  // namespace

std::vector<std::uint8_t> WriteCompoundFile(const OleEntry& root) {
  gsf_init();
  GPtr<GsfOutput> sink(gsf_output_memory_new());
  {
    GPtr<GsfOutfile> ole(gsf_outfile_msole_new(sink.get()));
    if (!ole) {
      Fail("no compound file");
    }
    SetClassId(ole.get(), root, "the root");
    WriteChildren(ole.get(), root, "");
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

std::vector<std::uint8_t> WriteCompoundFile(
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& streams) {
  OleEntry root;
  root.is_storage = true;
  for (const auto& [name, bytes] : streams) {
    root.children.push_back({name, false, {}, bytes, {}});
  }
  return WriteCompoundFile(root);
}

}  // namespace ombrix::sheet::xls
