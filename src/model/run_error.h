#pragma once
// A run-time failure of a command: an error number from the classic table plus a
// description that names the cause (which file, which cell, which array).

#include <stdexcept>
#include <string>

namespace ombrix {

// Error numbers used across the program.
namespace err {
inline constexpr int kOverflow = 6;
inline constexpr int kOutOfMemory = 7;
inline constexpr int kSubscriptOutOfRange = 9;
inline constexpr int kDivisionByZero = 11;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kInternalError = 51;
inline constexpr int kFileNotFound = 53;
inline constexpr int kPathFileAccess = 75;
inline constexpr int kBadFileFormat = 321;
inline constexpr int kInvalidPicture = 481;
inline constexpr int kPrinterError = 482;
}  // namespace err

class RunError : public std::runtime_error {
 public:
  RunError(int number, const std::string& description)
      : std::runtime_error(description), number_(number) {}

  int number() const { return number_; }
  std::string description() const { return what(); }

 private:
  int number_;
};

}  // namespace ombrix
