#include "sheet/xls/ole_stream.h"

#include <string>

#include "sheet/refusal_reasons.h"
#include "sheet/xls/gobject_ptr.h"
#include "sheet/xls/ole_file.h"

namespace ombrix::sheet::xls {
namespace {

bool NameIs(const char* name, const char* wanted) {
  return name != nullptr && g_ascii_strcasecmp(name, wanted) == 0;
}

}  // namespace

std::vector<std::uint8_t> ReadWorkbookStream(Bytes file) {
  GPtr<GsfInfile> ole = OpenCompoundFile(file);

  GPtr<GsfInput> stream;
  bool book_only = false;
  bool encrypted_package = false;
  const int children = gsf_infile_num_children(ole.get());
  for (int i = 0; i < children; ++i) {
    const char* name = gsf_infile_name_by_index(ole.get(), i);
    if (NameIs(name, "Workbook")) {
      stream = OpenChild(ole.get(), i, "\"Workbook\" ストリーム");
      break;
    }
    book_only = book_only || NameIs(name, "Book");
    encrypted_package =
        encrypted_package || NameIs(name, "EncryptedPackage") || NameIs(name, "EncryptionInfo");
  }
  if (!stream) {
    // Not damaged, only not ours: an encrypted Office Open XML package, an Excel 5/95 book,
    // or another program's compound file.
    if (encrypted_package) {
      ThrowUnsupported(reason::kPasswordProtected);
    }
    if (book_only) {
      ThrowUnsupported(reason::kExcel2To95);
    }
    ThrowUnsupported("\"Workbook\" ストリームがなく、Excel のブックではありません");
  }

  const gsf_off_t size = gsf_input_size(stream.get());
  if (size < 0 || static_cast<std::uint64_t>(size) > file.size()) {
    ThrowBroken("\"Workbook\" ストリームの大きさ " + std::to_string(size) +
                " がファイルの大きさを超えています");
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (size > 0 && gsf_input_read(stream.get(), size, bytes.data()) == nullptr) {
    ThrowBroken(
        "\"Workbook\" ストリームを読めません (セクターの連鎖がループしているか、"
        "ファイルの外を指しているか、ファイルが途中で切れています)");
  }
  return bytes;
}

}  // namespace ombrix::sheet::xls
