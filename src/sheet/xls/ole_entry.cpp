#include "sheet/xls/ole_entry.h"

#include <glib.h>

#include <utility>

namespace ombrix::sheet::xls {
namespace {

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && g_ascii_strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string Join(const std::string& parent, const std::string& name) {
  return parent.empty() ? DisplayName(name) : parent + "/" + DisplayName(name);
}

// Walks both trees side by side; `path` names `a` and `b`, empty for the root.
std::optional<std::string> Compare(const OleEntry& a, const OleEntry& b, const std::string& path) {
  const std::string here = path.empty() ? "/" : path;
  if (a.is_storage != b.is_storage || a.class_id != b.class_id || a.data != b.data ||
      a.children.size() != b.children.size()) {
    return here;
  }
  for (std::size_t i = 0; i < a.children.size(); ++i) {
    const OleEntry& x = a.children[i];
    const OleEntry& y = b.children[i];
    if (x.name != y.name) {
      return Join(path, x.name);
    }
    if (auto diff = Compare(x, y, Join(path, x.name))) {
      return diff;
    }
  }
  return std::nullopt;
}

}  // namespace

std::string DisplayName(std::string_view name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) {
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 0x0F];
    } else {
      out += c;
    }
  }
  return out;
}

const OleEntry* FindChild(const OleEntry& storage, std::string_view name) {
  for (const OleEntry& child : storage.children) {
    if (SameName(child.name, name)) {
      return &child;
    }
  }
  return nullptr;
}

OleEntry* FindChild(OleEntry& storage, std::string_view name) {
  return const_cast<OleEntry*>(FindChild(std::as_const(storage), name));
}

std::optional<std::string> FirstDifference(const OleEntry& a, const OleEntry& b) {
  return Compare(a, b, "");
}

}  // namespace ombrix::sheet::xls
