#include "sheet/xls/ole_tree_reader.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "sheet/xls/ole_file.h"

namespace ombrix::sheet::xls {
namespace {

std::array<std::uint8_t, 16> ClassId(GsfInput* entry) {
  std::array<std::uint8_t, 16> id{};
  if (GSF_IS_INFILE_MSOLE(entry)) {
    gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(entry), id.data());
  }
  return id;
}

// Where an entry lies, for messages.
std::string Join(const std::string& parent, const char* name) {
  return parent.empty() ? DisplayName(name) : parent + "/" + DisplayName(name);
}

// A storage still to be listed: libgsf's handle, the value it fills and where it lies.
struct Pending {
  GPtr<GsfInfile> storage;
  OleEntry* entry;
  std::string path;
  int depth;
};

}  // namespace

OleEntry ReadCompoundTree(Bytes file) {
  OleEntry root;
  root.name = "Root Entry";
  root.is_storage = true;
  GPtr<GsfInfile> ole = OpenCompoundFile(file);
  root.class_id = ClassId(GSF_INPUT(ole.get()));

  // Walked with a stack, not by recursion: a crafted directory may nest storages deeply.
  std::uint64_t total = 0;
  std::vector<Pending> pending;
  pending.push_back({std::move(ole), &root, "", 0});
  while (!pending.empty()) {
    Pending p = std::move(pending.back());
    pending.pop_back();
    const int count = gsf_infile_num_children(p.storage.get());
    // Sized once, so the addresses handed to `pending` stay valid.
    p.entry->children.resize(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
      const char* name = gsf_infile_name_by_index(p.storage.get(), i);
      const std::string path = Join(p.path, name != nullptr ? name : "");
      GPtr<GsfInput> child = OpenChild(p.storage.get(), i, "\"" + path + "\"");
      OleEntry& e = p.entry->children[static_cast<std::size_t>(i)];
      e.name = name != nullptr ? name : "";
      e.class_id = ClassId(child.get());
      if (GSF_IS_INFILE(child.get()) && gsf_infile_num_children(GSF_INFILE(child.get())) >= 0) {
        e.is_storage = true;
        if (p.depth + 1 > kMaxStorageDepth) {
          ThrowBroken("複合ファイルのストレージ \"" + path + "\" の入れ子が " +
                      std::to_string(kMaxStorageDepth) + " 段を超えています");
        }
        pending.push_back({GPtr<GsfInfile>(GSF_INFILE(child.release())), &e, path, p.depth + 1});
        continue;
      }
      const gsf_off_t size = gsf_input_size(child.get());
      total += static_cast<std::uint64_t>(std::max<gsf_off_t>(size, 0));
      if (size < 0 || total > file.size()) {
        ThrowBroken("複合ファイルのストリームの大きさの合計がファイルの大きさ (" +
                    std::to_string(file.size()) + " バイト) を超えています (\"" + path + "\")");
      }
      e.data.resize(static_cast<std::size_t>(size));
      if (size > 0 && gsf_input_read(child.get(), size, e.data.data()) == nullptr) {
        ThrowBroken("ストリーム \"" + path + "\" を読めません");
      }
    }
  }
  return root;
}

}  // namespace ombrix::sheet::xls
