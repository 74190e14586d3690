#pragma once
// A small pull scanner for the sheet part. A sheet of a million cells would cost several times
// its own size as a DOM; the scanner walks the text once and keeps only the open elements. It
// checks what the reader relies on (tags closed in order, one root, no document type, valid
// references) and refuses the rest with error 321 naming the file and the part.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ombrix::sheet::xlsx {

class XmlScanner {
 public:
  enum class Event { kStart, kEnd, kText, kEndOfDocument };
  struct Attribute {
    std::string_view name;       // qualified, as written
    std::string_view raw_value;  // between the quotes, references not yet decoded
  };

  // `xml` must outlive the scanner; `path` and `part` name it in errors.
  XmlScanner(std::string_view xml, std::string path, std::string part);

  Event Next();
  // The element's qualified name, for kStart and kEnd.
  std::string_view name() const { return name_; }
  // The attributes of the element just started (kStart).
  const std::vector<Attribute>& attributes() const { return attributes_; }
  // Appends the character data of a kText event, references decoded and line ends normalised.
  void AppendText(std::string& out) const;
  // Appends an attribute value with its references decoded.
  void AppendAttribute(std::string& out, std::string_view raw_value) const;
  // Open elements, the one just started included.
  std::size_t depth() const { return open_.size(); }
  // The offset just past what the last event consumed (a start tag's ">", an end tag's ">").
  std::size_t position() const { return pos_; }
  // The qualified names of the open elements, outermost first.
  const std::vector<std::string_view>& open_elements() const { return open_; }
  // Whether a self-closing tag just started still owes its end event.
  bool owes_end() const { return pending_end_; }
  // Goes on from offset `pos` inside the elements `open` (names into the same text), as another
  // scanner of the same text stood there; for reading a long part in pieces.
  void ResumeAt(std::size_t pos, std::vector<std::string_view> open);

  [[noreturn]] void Fail(const std::string& what) const;

  static constexpr std::size_t kMaxDepth = 256;

 private:
  void SkipPast(std::string_view terminator, const char* what);
  void ParseStartTag();
  void Decode(std::string& out, std::string_view raw, bool is_cdata) const;

  std::string_view xml_;
  std::string path_;
  std::string part_;
  std::size_t pos_ = 0;
  std::vector<std::string_view> open_;
  std::vector<Attribute> attributes_;
  std::string_view name_;
  std::string_view text_;
  bool text_is_cdata_ = false;
  bool pending_end_ = false;  // a self-closing tag owes its end event
  bool seen_root_ = false;
};

}  // namespace ombrix::sheet::xlsx
