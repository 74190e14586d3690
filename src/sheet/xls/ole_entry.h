#pragma once
// One entry of a compound file's directory as a plain value: a stream with its bytes, or a
// storage with its entries. A workbook is written again from the tree it was read into, so
// everything beside the Workbook stream (macros, embedded objects, summary information) goes
// back as it came.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ombrix::sheet::xls {

struct OleEntry {
  std::string name;
  bool is_storage = false;
  std::array<std::uint8_t, 16> class_id{};  // the CLSID; zero for streams
  std::vector<std::uint8_t> data;           // a stream's bytes
  std::vector<OleEntry> children;           // a storage's entries, in the order read

  bool operator==(const OleEntry&) const = default;
};

// The direct child of `storage` named `name` (ignoring ASCII case, as compound files compare
// names), or nullptr.
OleEntry* FindChild(OleEntry& storage, std::string_view name);
const OleEntry* FindChild(const OleEntry& storage, std::string_view name);

// `name` fit for a one-line message: the control characters that open some names
// ("\x05SummaryInformation") spelt out as \x05.
std::string DisplayName(std::string_view name);

// The path ("_VBA_PROJECT_CUR/VBA/dir", names as DisplayName gives them) of the first entry in
// which `a` and `b` differ (name, kind, class ID, bytes, or the list of entries), or nothing when
// they are equal; the root itself is "/".
std::optional<std::string> FirstDifference(const OleEntry& a, const OleEntry& b);

}  // namespace ombrix::sheet::xls
