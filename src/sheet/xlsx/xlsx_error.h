#pragma once
// The errors the .xlsx reader raises: all are error 321 with a description that names the file
// and, where there is one, the part and the cell.

#include <string>
#include <string_view>

#include "model/run_error.h"

namespace ombrix::sheet::xlsx {

// The archive lacks what every workbook has, or is not a ZIP archive at all.
[[noreturn]] void ThrowNotWorkbook(const std::string& path, const std::string& detail);
// A part exists but its content cannot be read.
[[noreturn]] void ThrowBrokenPart(const std::string& path, const std::string& part,
                                  const std::string& detail);

// `text` as QuotedText gives it, at most `max_chars` characters, so a message quoting a file's
// content stays one readable line whatever that content is.
std::string Excerpt(std::string_view text, std::size_t max_chars = 40);

}  // namespace ombrix::sheet::xlsx
