#pragma once
// The failure of the .xls layers below ReadXls: a reason in words, without the file's name.
// ReadXlsBytes turns it into RunError 321 naming the file.

#include <stdexcept>
#include <string>

namespace ombrix::sheet::xls {

class XlsFormatError : public std::runtime_error {
 public:
  enum class Kind {
    kBroken,       // the bytes contradict the format (truncated, out of range, ...)
    kUnsupported,  // a valid file of a kind this program does not read
  };
  XlsFormatError(Kind kind, const std::string& reason) : std::runtime_error(reason), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

[[noreturn]] inline void ThrowBroken(const std::string& reason) {
  throw XlsFormatError(XlsFormatError::Kind::kBroken, reason);
}
[[noreturn]] inline void ThrowUnsupported(const std::string& reason) {
  throw XlsFormatError(XlsFormatError::Kind::kUnsupported, reason);
}

}  // namespace ombrix::sheet::xls
