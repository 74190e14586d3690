#include "sheet/xlsx/xlsx_writer.h"

#include <zip.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <unordered_set>

#include "model/run_error.h"
#include "platform/workbook.h"
#include "sheet/xlsx/cell_ref.h"
#include "sheet/xlsx/part_names.h"
#include "sheet/xlsx/relationships.h"
#include "sheet/xlsx/sheet_patch.h"
#include "sheet/xlsx/style_patch.h"
#include "sheet/xlsx/workbook_parts.h"
#include "sheet/xlsx/xlsx_error.h"
#include "sheet/xlsx/xml_part.h"
#include "sheet/xlsx/zip_archive.h"
#include "sheet/xlsx/zip_handles.h"

namespace ombrix::sheet {
namespace {

using xlsx::SourceFree;
using xlsx::ZipDiscard;
using xlsx::ZipErrorHolder;

using xlsx::ThrowBrokenPart;

constexpr const char* kContentTypesPart = "[Content_Types].xml";
constexpr const char* kStylesType =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles";
constexpr const char* kStylesContentType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";

constexpr std::size_t kFastDeflateBytes = std::size_t{4} * 1024 * 1024;

[[noreturn]] void ThrowWriteFailed(const std::string& path, const std::string& detail) {
  throw RunError(err::kBadFileFormat,
                 "ファイル \"" + path + "\" の書き込み用のデータを作れません: " + detail);
}

// One edit per cell, sorted; later edits of a cell override its value and add their mark.
std::vector<CellEdit> MergeEdits(std::span<const CellEdit> edits, const std::string& path) {
  std::vector<CellEdit> merged;
  merged.reserve(edits.size());
  for (const CellEdit& e : edits) {
    if (e.row < 1 || e.row > xlsx::kMaxRow || e.col < 1 || e.col > xlsx::kMaxColumn) {
      throw RunError(err::kBadFileFormat, "ファイル \"" + path +
                                              "\" に書き込めません: セルの位置 (" +
                                              std::to_string(e.row) + " 行 " +
                                              std::to_string(e.col) + " 列) がシートの範囲外です");
    }
    if (e.value && !std::isfinite(*e.value)) {
      throw RunError(err::kBadFileFormat, "ファイル \"" + path + "\" のセル " +
                                              CellName(e.row, e.col) +
                                              " に書き込めません: 値が有限の数ではありません");
    }
    merged.push_back(e);
  }
  std::stable_sort(merged.begin(), merged.end(), [](const CellEdit& a, const CellEdit& b) {
    return a.row != b.row ? a.row < b.row : a.col < b.col;
  });
  std::vector<CellEdit> out;
  out.reserve(merged.size());
  for (const CellEdit& e : merged) {
    if (!out.empty() && out.back().row == e.row && out.back().col == e.col) {
      if (e.value) {
        out.back().value = e.value;
      }
      out.back().mark = out.back().mark || e.mark;
    } else {
      out.push_back(e);
    }
  }
  return out;
}

std::string Save(const pugi::xml_document& doc) {
  std::ostringstream out;
  doc.save(out, "", pugi::format_raw, pugi::encoding_utf8);
  return std::move(out).str();
}

std::string FolderOf(const std::string& part) {
  const std::size_t slash = part.rfind('/');
  return slash == std::string::npos ? "" : part.substr(0, slash + 1);
}

bool SamePartName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return lower(x) == lower(y);
  });
}

std::uint64_t Key(std::int32_t row, std::int32_t col) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) |
         static_cast<std::uint32_t>(col);
}

// calcChain entries name their sheet by id; an entry without one belongs to the sheet of the
// entry before it, so entries that lose that predecessor get the id written out.
std::optional<std::string> PatchCalcChain(const std::string& xml,
                                          const std::vector<xlsx::CellRef>& removed,
                                          const std::string& sheet_id, const std::string& path,
                                          const std::string& part) {
  const auto doc = xlsx::ParseXmlPart(xml, path, part);
  pugi::xml_node root = doc->document_element();
  std::vector<std::pair<pugi::xml_node, std::string>> entries;  // with their sheet ids
  std::string current;
  for (pugi::xml_node c = root.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element || xlsx::LocalName(c.name()) != "c") {
      continue;
    }
    if (const pugi::xml_attribute i = xlsx::AttributeByLocalName(c, "i")) {
      current = i.value();
    }
    entries.emplace_back(c, current);
  }
  std::unordered_set<std::uint64_t> removed_keys;
  for (const xlsx::CellRef& r : removed) {
    removed_keys.insert(Key(r.row, r.col));
  }
  std::string previous_kept;
  bool first = true;
  std::vector<pugi::xml_node> drop;
  for (auto& [c, id] : entries) {
    const std::optional<xlsx::CellRef> ref =
        xlsx::ParseCellRef(xlsx::AttributeByLocalName(c, "r").value());
    const bool gone = id == sheet_id && ref && removed_keys.contains(Key(ref->row, ref->col));
    if (gone) {
      drop.push_back(c);
      continue;
    }
    if (!xlsx::AttributeByLocalName(c, "i") && (first || previous_kept != id)) {
      c.append_attribute("i") = id.c_str();
    }
    previous_kept = id;
    first = false;
  }
  if (drop.size() == entries.size()) {
    return std::nullopt;
  }
  for (pugi::xml_node c : drop) {
    root.remove_child(c);
  }
  return Save(*doc);
}

class Writer {
 public:
  Writer(const std::vector<std::uint8_t>& bytes, const std::string& path)
      : bytes_(bytes), path_(path), archive_(xlsx::ZipArchive::OpenBytes(bytes, path)) {}

  std::vector<std::uint8_t> Run(std::span<const CellEdit> input) {
    const std::vector<CellEdit> edits = MergeEdits(input, path_);
    const xlsx::WorkbookParts parts = xlsx::LocateWorkbookParts(archive_);
    const bool any_mark =
        std::any_of(edits.begin(), edits.end(), [](const CellEdit& e) { return e.mark; });

    std::unique_ptr<xlsx::StylePatch> styles;
    std::string styles_part = parts.styles;
    if (any_mark) {
      if (styles_part.empty()) {
        styles_part = NewStylesPart(parts.workbook);
        styles = std::make_unique<xlsx::StylePatch>("", path_, styles_part);
      } else {
        styles = std::make_unique<xlsx::StylePatch>(archive_.Read(*archive_.Find(styles_part)),
                                                    path_, styles_part);
      }
    }
    const std::function<std::uint32_t(std::uint32_t)> marked = [&](std::uint32_t s) {
      return styles->Marked(s);
    };
    {
      const std::string sheet = archive_.Read(*archive_.Find(parts.active_sheet));
      xlsx::SheetPatchResult patched =
          xlsx::PatchSheet(sheet, edits, marked, path_, parts.active_sheet);
      Replace(parts.active_sheet, std::move(patched.xml));
      removed_formulas_ = std::move(patched.removed_formulas);
    }
    if (styles) {
      Replace(styles_part, styles->Xml());
      if (parts.styles.empty()) {
        AddStylesReferences(parts.workbook, styles_part);
      }
    }
    if (!removed_formulas_.empty()) {
      PatchCalculationChain(parts);
    }
    return Assemble();
  }

 private:
  void Replace(const std::string& part, std::string data) { replaced_[part] = std::move(data); }

  // The text of `part` as the new file will hold it.
  std::string Current(const std::string& part) {
    if (const auto it = replaced_.find(part); it != replaced_.end()) {
      return it->second;
    }
    const xlsx::ZipEntry* entry = archive_.Find(part);
    if (entry == nullptr) {
      xlsx::ThrowNotWorkbook(path_, part + " がありません");
    }
    return archive_.Read(*entry);
  }

  std::string NewStylesPart(const std::string& workbook) {
    const std::string folder = FolderOf(workbook);
    std::string name = folder + "styles.xml";
    for (int n = 1; archive_.Find(name) != nullptr; ++n) {
      name = folder + "styles" + std::to_string(n) + ".xml";
    }
    added_.push_back(name);
    return name;
  }

  void AddStylesReferences(const std::string& workbook, const std::string& styles_part) {
    const std::string rels_part = xlsx::RelationshipsPartOf(workbook);
    const auto rels = xlsx::ParseXmlPart(Current(rels_part), path_, rels_part);
    pugi::xml_node root = rels->document_element();
    std::string id;
    for (int n = 1; id.empty(); ++n) {
      const std::string candidate = "rId" + std::to_string(n);
      bool used = false;
      for (pugi::xml_node r = root.first_child(); r; r = r.next_sibling()) {
        used = used || candidate == xlsx::AttributeByLocalName(r, "Id").value();
      }
      if (!used) {
        id = candidate;
      }
    }
    const std::string_view root_name = root.name();
    const std::string prefix(root_name.substr(0, root_name.rfind(':') + 1));
    pugi::xml_node rel = root.append_child((prefix + "Relationship").c_str());
    rel.append_attribute("Id") = id.c_str();
    rel.append_attribute("Type") = kStylesType;
    rel.append_attribute("Target") = styles_part.substr(FolderOf(workbook).size()).c_str();
    Replace(rels_part, Save(*rels));

    if (archive_.Find(kContentTypesPart) == nullptr) {
      return;  // a package without content types has nothing to declare the part in
    }
    const auto types = xlsx::ParseXmlPart(Current(kContentTypesPart), path_, kContentTypesPart);
    pugi::xml_node types_root = types->document_element();
    const std::string_view types_name = types_root.name();
    const std::string types_prefix(types_name.substr(0, types_name.rfind(':') + 1));
    pugi::xml_node over = types_root.append_child((types_prefix + "Override").c_str());
    over.append_attribute("PartName") = ("/" + styles_part).c_str();
    over.append_attribute("ContentType") = kStylesContentType;
    Replace(kContentTypesPart, Save(*types));
  }

  void PatchCalculationChain(const xlsx::WorkbookParts& parts) {
    const std::optional<std::vector<xlsx::Relationship>> rels =
        xlsx::ReadRelationships(archive_, parts.workbook);
    std::string chain_part;
    for (const xlsx::Relationship& r : rels ? *rels : std::vector<xlsx::Relationship>{}) {
      if (xlsx::IsOfKind(r, "calcChain") && !r.external) {
        const std::optional<std::string> part = xlsx::ResolveTarget(parts.workbook, r.target);
        if (part && archive_.Find(*part) != nullptr) {
          chain_part = archive_.Find(*part)->name;
        }
      }
    }
    if (chain_part.empty()) {
      return;
    }
    std::optional<std::string> chain = PatchCalcChain(Current(chain_part), removed_formulas_,
                                                      parts.active_sheet_id, path_, chain_part);
    if (chain) {
      Replace(chain_part, std::move(*chain));
      return;
    }
    // A chain without entries is not allowed: the part goes, with what refers to it.
    removed_.push_back(chain_part);
    const std::string rels_part = xlsx::RelationshipsPartOf(parts.workbook);
    const auto rels_doc = xlsx::ParseXmlPart(Current(rels_part), path_, rels_part);
    pugi::xml_node root = rels_doc->document_element();
    for (pugi::xml_node r = root.first_child(); r;) {
      const pugi::xml_node next = r.next_sibling();
      const std::string_view type = xlsx::AttributeByLocalName(r, "Type").value();
      if (type.ends_with("/calcChain")) {
        root.remove_child(r);
      }
      r = next;
    }
    Replace(rels_part, Save(*rels_doc));
    if (archive_.Find(kContentTypesPart) == nullptr) {
      return;
    }
    const auto types = xlsx::ParseXmlPart(Current(kContentTypesPart), path_, kContentTypesPart);
    pugi::xml_node types_root = types->document_element();
    for (pugi::xml_node o = types_root.first_child(); o;) {
      const pugi::xml_node next = o.next_sibling();
      if (xlsx::LocalName(o.name()) == "Override" &&
          SamePartName(xlsx::AttributeByLocalName(o, "PartName").value(), "/" + chain_part)) {
        types_root.remove_child(o);
      }
      o = next;
    }
    Replace(kContentTypesPart, Save(*types));
  }

  std::vector<std::uint8_t> Assemble() {
    ZipErrorHolder error;
    std::unique_ptr<zip_source_t, SourceFree> in_source(
        zip_source_buffer_create(bytes_.data(), bytes_.size(), 0, &error.error));
    if (!in_source) {
      ThrowWriteFailed(path_, zip_error_strerror(&error.error));
    }
    std::unique_ptr<zip_t, ZipDiscard> in(
        zip_open_from_source(in_source.get(), ZIP_RDONLY, &error.error));
    if (!in) {
      ThrowWriteFailed(path_, zip_error_strerror(&error.error));
    }
    in_source.release();  // owned by `in` now

    std::unique_ptr<zip_source_t, SourceFree> out_source(
        zip_source_buffer_create(nullptr, 0, 0, &error.error));
    if (!out_source) {
      ThrowWriteFailed(path_, zip_error_strerror(&error.error));
    }
    std::unique_ptr<zip_t, ZipDiscard> out(
        zip_open_from_source(out_source.get(), ZIP_TRUNCATE, &error.error));
    if (!out) {
      ThrowWriteFailed(path_, zip_error_strerror(&error.error));
    }
    zip_source_keep(out_source.get());  // the bytes are read back after the archive closes

    const auto add = [&](const std::string& name, zip_source_t* source, const zip_stat_t* st) {
      if (source == nullptr) {
        ThrowWriteFailed(path_, name + " (" + zip_strerror(out.get()) + ")");
      }
      const zip_int64_t index = zip_file_add(out.get(), name.c_str(), source, ZIP_FL_ENC_UTF_8);
      if (index < 0) {
        zip_source_free(source);
        ThrowWriteFailed(path_, name + " (" + zip_strerror(out.get()) + ")");
      }
      if (st != nullptr && (st->valid & ZIP_STAT_MTIME) != 0) {
        zip_file_set_mtime(out.get(), static_cast<zip_uint64_t>(index), st->mtime, 0);
      }
    };
    const auto add_text = [&](const std::string& name, const std::string& data,
                              const zip_stat_t* st) {
      add(name, zip_source_buffer(out.get(), data.data(), data.size(), 0), st);
      // Deflating dominates the time of a large sheet; the fastest level costs a little size.
      if (data.size() >= kFastDeflateBytes) {
        zip_set_file_compression(out.get(),
                                 static_cast<zip_uint64_t>(zip_get_num_entries(out.get(), 0) - 1),
                                 ZIP_CM_DEFLATE, 1);
      }
    };
    for (const xlsx::ZipEntry& entry : archive_.entries()) {
      if (std::find(removed_.begin(), removed_.end(), entry.name) != removed_.end()) {
        continue;
      }
      zip_stat_t st;
      zip_stat_init(&st);
      zip_stat_index(in.get(), entry.index, 0, &st);
      if (const auto it = replaced_.find(entry.name); it != replaced_.end()) {
        add_text(entry.name, it->second, &st);
      } else {
        // The packed bytes are copied as they are: nothing is inflated or deflated again. The
        // entry keeps its method too; left to its default, libzip would deflate a stored entry.
        add(entry.name, zip_source_zip(out.get(), in.get(), entry.index, ZIP_FL_COMPRESSED, 0, -1),
            &st);
        if ((st.valid & ZIP_STAT_COMP_METHOD) != 0 &&
            zip_set_file_compression(
                out.get(), static_cast<zip_uint64_t>(zip_get_num_entries(out.get(), 0) - 1),
                st.comp_method, 0) != 0) {
          ThrowWriteFailed(path_, entry.name + " (" + zip_strerror(out.get()) + ")");
        }
      }
    }
    for (const std::string& name : added_) {
      add_text(name, replaced_.at(name), nullptr);
    }
    if (zip_close(out.get()) != 0) {
      ThrowWriteFailed(path_, zip_strerror(out.get()));
    }
    out.release();  // closed

    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(out_source.get(), &st) != 0 || zip_source_open(out_source.get()) != 0) {
      ThrowWriteFailed(path_, zip_error_strerror(zip_source_error(out_source.get())));
    }
    std::vector<std::uint8_t> result(static_cast<std::size_t>(st.size));
    const zip_int64_t got = zip_source_read(out_source.get(), result.data(), result.size());
    zip_source_close(out_source.get());
    if (got < 0 || static_cast<std::uint64_t>(got) != st.size) {
      ThrowWriteFailed(path_, "書き込んだデータを読み戻せません");
    }
    return result;
  }

  const std::vector<std::uint8_t>& bytes_;
  std::string path_;
  xlsx::ZipArchive archive_;
  std::map<std::string, std::string> replaced_;
  std::vector<std::string> added_;
  std::vector<std::string> removed_;
  std::vector<xlsx::CellRef> removed_formulas_;
};

}  // namespace

std::vector<std::uint8_t> EditXlsxBytes(const std::vector<std::uint8_t>& bytes,
                                        const std::string& path, std::span<const CellEdit> edits) {
  return Writer(bytes, path).Run(edits);
}

}  // namespace ombrix::sheet
