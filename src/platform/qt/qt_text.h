#pragma once
// Text conversions between the core's UTF-8 strings and Qt.

#include <QString>
#include <string>
#include <string_view>

namespace ombrix::qt {

inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToStdString(const QString& text) {
  return text.toUtf8().toStdString();
}

// A message text for a Qt label: a carriage return (alone or before a line feed) is a line
// break.
QString MessageText(std::string_view text);

// A file-dialog filter of "description|pattern|description|pattern|" pairs in the form Qt's
// file dialog takes: "description (pattern)" entries joined by ";;". Patterns separated by
// ";" become blank-separated, and a description that already names its pattern keeps it.
QString DialogFilter(std::string_view pairs);

}  // namespace ombrix::qt
