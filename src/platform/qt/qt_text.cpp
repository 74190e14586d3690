#include "platform/qt/qt_text.h"

#include <QStringList>

namespace ombrix::qt {

QString MessageText(std::string_view text) {
  QString result = ToQString(text);
  result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  result.replace(QChar('\r'), QChar('\n'));
  return result;
}

QString DialogFilter(std::string_view pairs) {
  const QStringList parts = ToQString(pairs).split(QChar('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString description = parts[i].trimmed();
    QString patterns = parts[i + 1].trimmed();
    patterns.replace(QChar(';'), QChar(' '));
    if (description.isEmpty() && patterns.isEmpty()) {
      continue;
    }
    if (description.contains(QStringLiteral("(") + patterns + QStringLiteral(")"))) {
      filters << description;
    } else {
      filters << description + QStringLiteral(" (") + patterns + QStringLiteral(")");
    }
  }
  return filters.join(QStringLiteral(";;"));
}

}  // namespace ombrix::qt
