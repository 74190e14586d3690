#include "sheet/xlsx/part_names.h"

#include <vector>

namespace ombrix::sheet::xlsx {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

std::optional<std::string> PercentDecoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) {
      return std::nullopt;
    }
    const int high = HexValue(text[i + 1]);
    const int low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) {
      return std::nullopt;
    }
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

std::string_view FolderOf(std::string_view part) {
  const std::size_t slash = part.rfind('/');
  return slash == std::string_view::npos ? std::string_view{} : part.substr(0, slash);
}

}  // namespace

std::optional<std::string> ResolveTarget(std::string_view source_part, std::string_view target) {
  const std::optional<std::string> decoded = PercentDecoded(target);
  if (!decoded || decoded->empty()) {
    return std::nullopt;
  }
  std::string_view rest = *decoded;
  std::vector<std::string_view> segments;
  if (rest.front() == '/') {
    rest.remove_prefix(1);
  } else {
    std::string_view folder = FolderOf(source_part);
    while (!folder.empty()) {
      const std::size_t slash = folder.find('/');
      segments.push_back(folder.substr(0, slash));
      folder = slash == std::string_view::npos ? std::string_view{} : folder.substr(slash + 1);
    }
  }
  while (true) {
    const std::size_t slash = rest.find('/');
    const std::string_view segment = rest.substr(0, slash);
    if (segment == "..") {
      if (segments.empty()) {
        return std::nullopt;  // above the package root
      }
      segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    if (slash == std::string_view::npos) {
      break;
    }
    rest.remove_prefix(slash + 1);
  }
  if (segments.empty()) {
    return std::nullopt;
  }
  std::string name;
  for (const std::string_view segment : segments) {
    if (!name.empty()) {
      name += '/';
    }
    name += segment;
  }
  return name;
}

std::string RelationshipsPartOf(std::string_view part) {
  const std::size_t slash = part.rfind('/');
  if (slash == std::string_view::npos) {
    return "_rels/" + std::string(part) + ".rels";
  }
  return std::string(part.substr(0, slash)) + "/_rels/" + std::string(part.substr(slash + 1)) +
         ".rels";
}

}  // namespace ombrix::sheet::xlsx
